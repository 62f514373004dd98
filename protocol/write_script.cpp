#include "protocol/script_operations.h"
#include "protocol/write_steps.h"
#include "resources/string_table.h"

void ScriptOperations::OnWriteScript() {
    if (!host.PortIsOpen() || !host.ExchangeFromControls()) {
        return;
    }
    // Refused before the listing: a write that cannot finish must not erase the device first.
    const std::string refusal = WriteRefusal();
    if (!refusal.empty()) {
        host.ShowMessage(refusal, MessageIcon::Error);
        return;
    }
    StartListing(0, 1);
}

void ScriptOperations::StartWrite() {
    if (!host.PortIsOpen()) {
        state.writeMode = 0;
        return;
    }
    // Checked again: the operator may have changed the fields while the erase ran.
    const std::string refusal = WriteRefusal();
    if (!refusal.empty()) {
        StopWrite(refusal);
        return;
    }
    StartSteps(Writing, writeStep);
}

void ScriptOperations::OnWriteStepTimer() {
    // Stray confirmations can finish the sequence while this timer is armed.
    if (writeStep < 0 || writeStep >= WRITE_STEP_DONE) {
        return;
    }
    // The ID check's outcome does not stop a step; the values taken over are used.
    (void)host.ExchangeFromControls();
    CommandLine line;
    if (!FormatWriteLine(writeStep, host.Fields(), line)) {
        state.opState = Idle;
        StopWrite(TextWith(IDS_VALUE_TOO_LONG, host.LoadString(WriteStepCaption(writeStep))));
        return;
    }
    SendLine(line.Text());
}

void ScriptOperations::OnWriteReply(int confirmed) {
    if (confirmed != 1) {
        if (state.opState == Failed) {
            StopWrite(host.LoadString(IDS_RS232_ERROR));
        }
        return;
    }
    writeStep = NextWriteStep(writeStep, host.Fields());
    if (writeStep < WRITE_STEP_DONE) {
        state.opState = Writing;
        Arm(TIMER_STEP);
        return;
    }
    state.writeMode = 0;
    host.ShowMessage(host.LoadString(IDS_ALL_WRITTEN), MessageIcon::Information);
}

std::string ScriptOperations::WriteRefusal() {
    DeviceFields& fields = host.Fields();
    if (fields.GetAddress(AddressField::Host) == 0) {
        return host.LoadString(IDS_ENTER_HOST_ADDRESS);
    }
    if (fields.Texts().hostPortText.empty()) {
        return host.LoadString(IDS_ENTER_HOST_PORT);
    }
    const int step = FirstUnwritableStep(fields);
    return step < 0 ? std::string()
                    : TextWith(IDS_VALUE_TOO_LONG, host.LoadString(WriteStepCaption(step)));
}

void ScriptOperations::StopWrite(const std::string& message) {
    state.writeMode = 0;
    host.ShowMessage(message, MessageIcon::Error);
}
