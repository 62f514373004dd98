#include "protocol/script_operations.h"

ScriptOperations::ScriptOperations(OperationHost& host) : host(host) {}

void ScriptOperations::OnTimer(int timerId) {
    // The port was closed or unplugged while the step waited: the line cannot go out, and
    // the closing or the lost line has been reported already.
    if (!host.PortIsOpen()) {
        state.opState = Idle;
        state.writeMode = 0;
        followUpPending = 0;
        return;
    }
    switch (timerId) {
        case TIMER_STEP:
            OnStepTimer();
            break;
        case TIMER_WRITE_STEP:
            OnWriteStepTimer();
            break;
        case TIMER_ERASE_STEP:
            OnEraseStepTimer();
            break;
        default:
            break;
    }
}

void ScriptOperations::HandleLine(const char* line) {
    HandleReceivedLine(line, state, host.Fields(), *this);
}

int ScriptOperations::AddLogLine(int direction, const char* text) {
    return host.AddLogLine(direction, text);
}

void ScriptOperations::EndOperation() {
    for (int timerId : {TIMER_STEP, TIMER_WRITE_STEP, TIMER_ERASE_STEP}) {
        host.KillTimer(timerId);
    }
    state.opState = Idle;
    state.writeMode = 0;
    followUpPending = 0;
    eraseAllMode = 0;
}

void ScriptOperations::SendLine(const CommandLine& line) {
    // A failed write shows the channel's own message; the step is not repeated.
    host.WritePort(line.bytes, line.length);
    host.AddLogLine(LOG_SEND, line.Text().c_str());
}

void ScriptOperations::ShowMessage(int stringId, MessageIcon icon) {
    host.ShowMessage(host.LoadString(stringId), icon);
}
