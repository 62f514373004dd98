#include "protocol/script_operations.h"
#include "resources/string_table.h"

void ScriptOperations::OnEraseAllScript() {
    if (host.PortIsOpen()) {
        StartListing(1, 0);
    }
}

// A pass is the unlock line, then the erase line, each confirmed before the next.
void ScriptOperations::StartErasePass() {
    if (!host.PortIsOpen()) {
        state.writeMode = 0;
        return;
    }
    StartSteps(Erasing, eraseStep);
}

void ScriptOperations::OnEraseReply(int confirmed) {
    if (confirmed != 1) {
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
        host.ShowMessage(host.LoadString(IDS_ALL_DELETED), MessageIcon::Information);
        OnViewScript();
    } else if (state.writeMode == 1) {
        StartWrite();
    }
}
