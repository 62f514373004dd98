#include "protocol/script_operations.h"
#include "resources/string_table.h"

void ScriptOperations::OnViewScript() {
    if (!host.PortIsOpen()) {
        return;
    }
    // A listing of its own: a write or erase left waiting (a silent device) ends here, so
    // that this listing fills the fields and leads to nothing else.
    followUpPending = 0;
    state.writeMode = 0;
    StartListing();
}

void ScriptOperations::StartListing() {
    host.ClearLog();
    host.KillTimer(TIMER_STEP);
    state.listedLineCount = 0;
    state.opState = Listing;
    host.SetTimer(TIMER_STEP, STEP_DELAY_MS);
}

void ScriptOperations::StartListingWithFollowUp(int eraseAll, int write) {
    host.ClearLog();
    erasePass = 0;
    followUpPending = 1;
    eraseAllMode = eraseAll;
    state.writeMode = write;
    StartListing();
}

void ScriptOperations::StartSteps(OpState stepState, int& step) {
    host.ClearLog();
    host.KillTimer(TIMER_STEP);
    state.opState = stepState;
    step = 0;
    host.SetTimer(TIMER_STEP, STEP_DELAY_MS);
}

// Every operation sends its next line through this timer: a listing sends "!VS" itself,
// a write or an erase arms its own step timer.
void ScriptOperations::OnStepTimer() {
    host.KillTimer(TIMER_STEP);
    switch (state.opState) {
        case Listing: {
            CommandLine line;
            if (FormatCommandLine(line, "!VS")) {
                SendLine(line);
            }
            break;
        }
        case Erasing:
            host.SetTimer(TIMER_ERASE_STEP, STEP_DELAY_MS);
            break;
        case Writing:
            host.SetTimer(TIMER_WRITE_STEP, STEP_DELAY_MS);
            break;
        default:
            break;
    }
}

void ScriptOperations::OnListingDone() {
    if (followUpPending != 1) {
        return;
    }
    followUpPending = 0;
    if (state.listedLineCount > 0) {
        StartErasePass();
    } else if (state.writeMode != 0) {
        StartWrite();
    } else {
        ShowMessage(IDS_NO_SCRIPT, MessageIcon::Error);
    }
}
