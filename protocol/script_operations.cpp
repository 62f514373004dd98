#include "protocol/script_operations.h"

#include "protocol/settings_record.h"
#include "resources/string_table.h"

ScriptOperations::ScriptOperations(OperationHost& host) : host(host) {}

void ScriptOperations::OnTimer(int timerId) {
    const int index = timerId - TIMER_STEP;
    if (index < 0 || index >= 3 || !armed[index]) {
        return;
    }
    Kill(timerId);
    // Closed or unplugged while the step waited: that has been reported already.
    if (!host.PortIsOpen()) {
        EndOperation();
    } else if (timerId == TIMER_STEP) {
        OnStepTimer();
    } else if (timerId == TIMER_WRITE_STEP) {
        OnWriteStepTimer();
    } else {
        SendLine(eraseStep == 0 ? UNLOCK_LINE : "!ES");
    }
}

// The notification goes first, then the line is logged: a write that the listing's end starts
// clears the log before its "!700" appears.
void ScriptOperations::HandleLine(const char* line) {
    if (line == nullptr) {
        line = "";
    }
    switch (state.opState) {
        case Listing:
            if (LineBeginsWith(line, "!700")) {
                state.opState = Idle;
                OnListingDone();
                break;
            }
            if (followUpPending == 1) {
                listing.emplace_back(line);
            }
            // A write lists the device only to count its lines: the operator's values stay.
            if (state.writeMode == 0) {
                ApplySettingReply(line, host.Fields());
            }
            ++state.listedLineCount;
            break;
        case Writing:
            OnWriteReply(StepReply(line, "!UE", "!WS"));
            break;
        case Erasing:
            OnEraseReply(StepReply(line, "!ES", "!UE"));
            break;
        default:
            break;
    }
    host.AddLogLine(LOG_RECV, line);
}

int ScriptOperations::StepReply(const char* line, const char* first, const char* second) {
    if (LineBeginsWith(line, "!700")) {
        state.opState = Idle;
        return 1;
    }
    if (!LineBeginsWith(line, first) && !LineBeginsWith(line, second)) {
        state.opState = Failed;
    }
    return 0;
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

// One write; a failure shows the channel's own message and the step is not repeated.
void ScriptOperations::SendLine(const std::string& text) {
    CommandLine line;
    if (FormatCommandLine(line, text)) {
        host.WritePort(line.bytes, line.length);
        host.AddLogLine(LOG_SEND, text.c_str());
    }
}

std::string ScriptOperations::TextWith(int stringId, const std::string& value) {
    std::string text = host.LoadString(stringId);
    const size_t marker = text.find("%s");
    return marker == std::string::npos ? text : text.replace(marker, 2, value);
}
