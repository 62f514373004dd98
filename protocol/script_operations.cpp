#include "protocol/script_operations.h"

#include "protocol/settings_record.h"
#include "resources/string_table.h"

ScriptOperations::ScriptOperations(OperationHost& host) : host(host) {}

void ScriptOperations::OnTimer(int timerId) {
    const int index = timerId - TIMER_STEP;
    if (index < 0 || index >= 3 || !armed[index]) {
        return;  // killed, or armed by an operation that has ended since
    }
    // The port was closed or unplugged while the step waited: the line cannot go out, and
    // the closing or the lost line has been reported already.
    if (!host.PortIsOpen()) {
        EndOperation();
        return;
    }
    switch (timerId) {
        case TIMER_STEP:
            OnStepTimer();
            break;
        case TIMER_WRITE_STEP:
            OnWriteStepTimer();
            break;
        default:
            OnEraseStepTimer();
            break;
    }
}

void ScriptOperations::HandleLine(const char* line) {
    if (line == nullptr) {
        line = "";
    }
    if (state.opState == Listing && followUpPending == 1 && !LineBeginsWith(line, "!700")) {
        listing.emplace_back(line);
    }
    HandleReceivedLine(line, state, host.Fields(), *this);
}

int ScriptOperations::AddLogLine(int direction, const char* text) {
    return host.AddLogLine(direction, text);
}

void ScriptOperations::EndOperation() {
    KillTimers();
    state.opState = Idle;
    state.writeMode = 0;
    followUpPending = 0;
    eraseAllMode = 0;
    listing.clear();
}

void ScriptOperations::Arm(int timerId) {
    armed[timerId - TIMER_STEP] = true;
    host.SetTimer(timerId, STEP_DELAY_MS);
}

void ScriptOperations::Kill(int timerId) {
    armed[timerId - TIMER_STEP] = false;
    host.KillTimer(timerId);
}

void ScriptOperations::KillTimers() {
    for (int timerId : {TIMER_STEP, TIMER_WRITE_STEP, TIMER_ERASE_STEP}) {
        Kill(timerId);
    }
}

bool ScriptOperations::BackUpListing() {
    std::string why;
    if (host.KeepBackup(listing, why)) {
        return true;
    }
    EndOperation();
    host.ShowMessage(TextWith(IDS_BACKUP_FAILED, why), MessageIcon::Error);
    return false;
}

void ScriptOperations::SendLine(const CommandLine& line) {
    // A failed write shows the channel's own message; the step is not repeated.
    host.WritePort(line.bytes, line.length);
    host.AddLogLine(LOG_SEND, line.Text().c_str());
}

void ScriptOperations::ShowMessage(int stringId, MessageIcon icon) {
    host.ShowMessage(host.LoadString(stringId), icon);
}

std::string ScriptOperations::TextWith(int stringId, const std::string& value) {
    std::string text = host.LoadString(stringId);
    const size_t marker = text.find("%s");
    if (marker != std::string::npos) {
        text.replace(marker, 2, value);
    }
    return text;
}
