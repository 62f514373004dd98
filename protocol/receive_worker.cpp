#include "protocol/receive_worker.h"

#include <cstring>
#include <memory>

#include "link/serial_channel.h"
#include "protocol/line_assembler.h"

namespace {

constexpr int kReadSize = LINE_BUFFER_SIZE;
// A read of kReadSize bytes completes at most kReadSize lines, and every read's lines are
// handed off before the next read, so the batch never needs more room.
constexpr int kBatchCapacity = kReadSize;

// The complete lines of one read, handed to the user-interface thread together.
struct LineBatch {
    char lines[kBatchCapacity][LINE_BUFFER_SIZE];
    int count = 0;

    void Add(const char* line) {
        const size_t length = strnlen(line, LINE_BUFFER_SIZE - 1);
        std::memcpy(lines[count], line, length);
        lines[count][length] = '\0';
        ++count;
    }
};

class ReceiveWorker {
public:
    explicit ReceiveWorker(ReceiveContext& context) : context(context) {}
    int Run();

private:
    [[nodiscard]] bool ReadAvailable();
    [[nodiscard]] bool HandOffLines();
    [[nodiscard]] bool ReportLostOnce();

    ReceiveContext& context;
    char readBuffer[kReadSize] = {};
    LineAssembler assembler;
    std::unique_ptr<LineBatch> batch = std::make_unique<LineBatch>();
    const LineAssembler::LineSink addLine = [this](const char* line) { batch->Add(line); };
    bool lostReported = false;
};

int ReceiveWorker::Run() {
    CSCom& port = context.serialPort;
    while (context.stopWorker.load() == 0) {
        if (!port.LineLost()) {
            lostReported = false;  // a new open, a new line to lose
        }
        port.WaitForInput();
        if (port.portOpen.load() == 1 && context.stopWorker.load() == 0 && !ReadAvailable()) {
            break;
        }
    }
    return 0;
}

// Reads until the port has nothing more; false when the program is stopping.
bool ReceiveWorker::ReadAvailable() {
    CSCom& port = context.serialPort;
    int n = 0;
    do {
        if (port.portOpen.load() != 1) {
            return true;
        }
        n = port.ReadPort(readBuffer, kReadSize);
        assembler.Feed(readBuffer, n, addLine);
        if (batch->count > 0 && !HandOffLines()) {
            return false;
        }
    } while (n == kReadSize);
    return n != 0 || !port.LineLost() || ReportLostOnce();
}

bool ReceiveWorker::HandOffLines() {
    const bool ran = context.handoff.RunOnUiThread([this] {
        for (int i = 0; i < batch->count; ++i) {
            context.owner.OnLineReceived(batch->lines[i]);
        }
    });
    batch->count = 0;
    return ran;
}

bool ReceiveWorker::ReportLostOnce() {
    if (lostReported) {
        return true;
    }
    lostReported = true;
    return context.handoff.RunOnUiThread([this] { context.owner.OnPortLost(); });
}

}  // namespace

int ReceiveThreadProc(ReceiveContext* context) {
    if (context == nullptr) {
        return 0;
    }
    ReceiveWorker worker(*context);
    return worker.Run();
}
