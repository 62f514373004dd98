#include "protocol/script_operations.h"
#include "resources/string_table.h"

void ScriptOperations::OnViewScript() {
    // A listing of its own: a write or erase left waiting (a silent device) ends here, so
    // that this listing fills the fields and leads to nothing else.
    if (host.PortIsOpen()) {
        StartListing(0, 0);
    }
}

// Write Script and Erase All Script begin with a listing too; its end leads on by the flags.
void ScriptOperations::StartListing(int eraseAll, int write) {
    host.ClearLog();
    KillTimers();
    listing.clear();
    erasePass = 0;
    eraseAllMode = eraseAll;
    state.writeMode = write;
    followUpPending = eraseAll == 1 || write == 1 ? 1 : 0;
    state.listedLineCount = 0;
    state.opState = Listing;
    Arm(TIMER_STEP);
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
    if (state.opState == Listing) {
        SendLine("!VS");
    } else if (state.opState == Erasing) {
        Arm(TIMER_ERASE_STEP);
    } else if (state.opState == Writing) {
        Arm(TIMER_WRITE_STEP);
    }
}

void ScriptOperations::OnListingDone() {
    if (followUpPending != 1) {
        return;
    }
    followUpPending = 0;
    if (state.listedLineCount > 0) {
        // Nothing is erased unless a copy of what is stored has been kept.
        std::string why;
        if (host.KeepBackup(listing, why)) {
            StartErasePass();
            return;
        }
        EndOperation();
        host.ShowMessage(TextWith(IDS_BACKUP_FAILED, why), MessageIcon::Error);
    } else if (state.writeMode != 0) {
        StartWrite();
    } else {
        host.ShowMessage(host.LoadString(IDS_NO_SCRIPT), MessageIcon::Error);
    }
}
