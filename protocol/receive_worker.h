#pragma once

#include <atomic>

class CSCom;
class ReceiveQueue;

struct ReceiveContext {
    CSCom& serialPort;
    std::atomic<int>& stopWorker;
    ReceiveQueue& queue;  // where complete lines and a lost port go, in order
};

// The receive worker's thread procedure: sleeps in poll() while the port is closed or silent,
// reads at most 128 bytes at a time, joins them into lines (CR ends a line, LF is dropped, a
// line keeps at most 127 bytes) and appends each complete line to the queue; it never waits for
// whoever drains the queue. A port that fails for good is reported once as lost. An incomplete
// line is kept across reads and across close and reopen. Returns 0 once stopWorker is 1 (set it,
// then call serialPort.Wake()).
int ReceiveThreadProc(ReceiveContext* context);
