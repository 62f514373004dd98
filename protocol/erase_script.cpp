#include "protocol/script_operations.h"
#include "resources/string_table.h"

void ScriptOperations::OnEraseAllScript() {
    if (!host.PortIsOpen()) {
        return;
    }
    StartListingWithFollowUp(1, 0);
}

void ScriptOperations::StartErasePass() {
    if (!host.PortIsOpen()) {
        state.writeMode = 0;
        return;
    }
    StartSteps(Erasing, eraseStep);
}

// A pass is the unlock line, then the erase line, each confirmed before the next.
void ScriptOperations::OnEraseStepTimer() {
    Kill(TIMER_ERASE_STEP);
    CommandLine line;
    if (FormatCommandLine(line, "%s", eraseStep == 0 ? UNLOCK_LINE : "!ES")) {
        SendLine(line);
    }
}

void ScriptOperations::OnEraseReply(int confirmed) {
    if (confirmed != 1) {
        // A repeated "!ES" or "!UE" leaves the step waiting; anything else has failed it.
        if (state.opState == Failed) {
            StopWrite(host.LoadString(IDS_RS232_ERROR));
        }
        return;
    }
    if (eraseStep == 0) {
        state.opState = Erasing;
        eraseStep = 1;
        Arm(TIMER_STEP);
        return;
    }
    // One pass per line of the listing that started the operation.
    ++erasePass;
    if (erasePass < state.listedLineCount) {
        StartErasePass();
    } else if (eraseAllMode == 1) {
        eraseAllMode = 0;
        ShowMessage(IDS_ALL_DELETED, MessageIcon::Information);
        OnViewScript();
    } else if (state.writeMode == 1) {
        StartWrite();
    }
}
