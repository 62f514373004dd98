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
    KillTimers();
    listing.clear();
    state.listedLineCount = 0;
    state.opState = Listing;
    Arm(TIMER_STEP);
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
    KillTimers();
    state.opState = stepState;
    step = 0;
    Arm(TIMER_STEP);
}

// Every operation sends its next line through this timer: a listing sends "!VS" itself,
// a write or an erase arms its own step timer.
void ScriptOperations::OnStepTimer() {
    Kill(TIMER_STEP);
    switch (state.opState) {
        case Listing: {
            CommandLine line;
            if (FormatCommandLine(line, "!VS")) {
                SendLine(line);
            }
            break;
        }
        case Erasing:
            Arm(TIMER_ERASE_STEP);
            break;
        case Writing:
            Arm(TIMER_WRITE_STEP);
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
        // Nothing is erased unless a copy of what is stored has been kept.
        if (BackUpListing()) {
            StartErasePass();
        }
    } else if (state.writeMode != 0) {
        StartWrite();
    } else {
        ShowMessage(IDS_NO_SCRIPT, MessageIcon::Error);
    }
}
