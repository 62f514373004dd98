#include "protocol/receive_worker.h"

#include <chrono>
#include <thread>

#include "link/serial_channel.h"
#include "protocol/line_assembler.h"
#include "protocol/receive_queue.h"

namespace {

// While lines trickle in (a pass that read little ends a line within two gathers of the pass
// before, which also ended one), the worker lets the next bytes gather this long before it
// reads again, so that a stream costs one wake-up per gather instead of one per line. At 115200
// baud that is about 580 bytes, far below what the port buffers. A reply after a quiet spell, a
// line begun and a burst that fills the reads are read on at once.
constexpr auto kGatherTime = std::chrono::milliseconds(50);
constexpr int kTrickleBytes = 1024;

class ReceiveWorker {
public:
    explicit ReceiveWorker(ReceiveContext& context) : context(context) {}
    int Run();

private:
    // Returns true when the bytes read ended on a complete line that came while lines trickle.
    bool ReadAvailable();

    ReceiveContext& context;
    char readBuffer[LINE_BUFFER_SIZE] = {};
    LineAssembler assembler;
    const LineAssembler::LineSink addLine = [this](const char* line) {
        context.queue.PushLine(line);
    };
    bool lostReported = false;
    std::chrono::steady_clock::time_point lastLineEnd;
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
        if (openBeforeWait && port.portOpen.load() == 1 && context.stopWorker.load() == 0 &&
            ReadAvailable()) {
            std::this_thread::sleep_for(kGatherTime);
        }
    }
    return 0;
}

// Reads until the port has nothing more (a read returns less than a full buffer).
bool ReceiveWorker::ReadAvailable() {
    CSCom& port = context.serialPort;
    int n = LINE_BUFFER_SIZE;
    int total = 0;
    char last = 0;
    while (n == LINE_BUFFER_SIZE && port.portOpen.load() == 1) {
        n = port.ReadPort(readBuffer, LINE_BUFFER_SIZE);
        assembler.Feed(readBuffer, n, addLine);
        last = n > 0 ? readBuffer[n - 1] : last;
        total += n > 0 ? n : 0;
    }
    if (n == 0 && port.LineLost() && !lostReported) {
        lostReported = true;
        context.queue.PushPortLost();
    }
    if (last != '\r' && last != '\n') {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    const bool trickling = now - lastLineEnd < 2 * kGatherTime && total < kTrickleBytes;
    lastLineEnd = now;
    return trickling;
}

}  // namespace

int ReceiveThreadProc(ReceiveContext* context) {
    if (context == nullptr) {
        return 0;
    }
    ReceiveWorker worker(*context);
    return worker.Run();
}
