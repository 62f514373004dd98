#include "protocol/receive_worker.h"

#include "link/serial_channel.h"
#include "protocol/line_assembler.h"
#include "protocol/receive_queue.h"

namespace {

class ReceiveWorker {
public:
    explicit ReceiveWorker(ReceiveContext& context) : context(context) {}
    int Run();

private:
    void ReadAvailable();

    ReceiveContext& context;
    char readBuffer[LINE_BUFFER_SIZE] = {};
    LineAssembler assembler;
    const LineAssembler::LineSink addLine = [this](const char* line) {
        context.queue.PushLine(line);
    };
    bool lostReported = false;
};

int ReceiveWorker::Run() {
    CSCom& port = context.serialPort;
    while (context.stopWorker.load() == 0) {
        if (!port.LineLost()) {
            lostReported = false;  // a new open, a new line to lose
        }
        // Reads follow only a wait that began with the port open, so that the channel takes a
        // close during them for the race it is. The wait after an open returns at once when
        // bytes are waiting.
        const bool openBeforeWait = port.portOpen.load() == 1;
        port.WaitForInput();
        if (openBeforeWait && port.portOpen.load() == 1 && context.stopWorker.load() == 0) {
            ReadAvailable();
        }
    }
    return 0;
}

// Reads until the port has nothing more (a read returns less than a full buffer).
void ReceiveWorker::ReadAvailable() {
    CSCom& port = context.serialPort;
    int n = LINE_BUFFER_SIZE;
    while (n == LINE_BUFFER_SIZE && port.portOpen.load() == 1) {
        n = port.ReadPort(readBuffer, LINE_BUFFER_SIZE);
        assembler.Feed(readBuffer, n, addLine);
    }
    if (n == 0 && port.LineLost() && !lostReported) {
        lostReported = true;
        context.queue.PushPortLost();
    }
}

}  // namespace

int ReceiveThreadProc(ReceiveContext* context) {
    if (context == nullptr) {
        return 0;
    }
    ReceiveWorker worker(*context);
    return worker.Run();
}
