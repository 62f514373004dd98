#pragma once

#include <atomic>

#include "protocol/ui_handoff.h"

class CSCom;

// The owner of the receive worker: told about complete lines and a lost port, always on the
// user-interface thread, inside a hand-off that the worker waits for.
class ReceiveOwner {
public:
    virtual ~ReceiveOwner() = default;
    // One complete line, NUL-terminated, valid only during the call.
    virtual void OnLineReceived(const char* line) = 0;
    // The port failed for good (unplugged); the read failure was shown once. The owner closes
    // the port as its Close handler does.
    virtual void OnPortLost() = 0;
};

struct ReceiveContext {
    CSCom& serialPort;
    std::atomic<int>& stopWorker;
    UiHandoff& handoff;
    ReceiveOwner& owner;
};

// The receive worker's thread procedure: sleeps in poll() while the port is closed or silent,
// reads at most 128 bytes at a time, joins them into lines (CR ends a line, LF is dropped, a
// line keeps at most 127 bytes) and hands the complete lines of consecutive full reads to the
// owner in one hand-off, in order. An incomplete line is kept across reads and across close and
// reopen. Returns 0 once stopWorker is 1 (set it, then call serialPort.Wake()).
int ReceiveThreadProc(ReceiveContext* context);
