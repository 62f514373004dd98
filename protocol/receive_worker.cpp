#include "protocol/receive_worker.h"

#include <cstring>
#include <memory>

#include "link/serial_channel.h"
#include "protocol/line_assembler.h"

namespace {

constexpr int kReadSize = LINE_BUFFER_SIZE;
// Room for the lines of many reads: a device that sends without a pause is still handed over
// in slices of this size, so that the window shows what arrives while it arrives.
constexpr size_t kBatchBytes = 128 * static_cast<size_t>(kReadSize);

// Complete lines of consecutive reads, each stored with its NUL, handed over together.
class LineBatch {
public:
    // Whether the lines that one more read can complete are sure to fit: the read's own
    // bytes, plus at most one line buffer begun by earlier reads.
    bool HasRoomForRead() const { return used + kReadSize + LINE_BUFFER_SIZE <= kBatchBytes; }
    bool Empty() const { return count == 0; }

    void Add(const char* line) {
        const size_t length = strnlen(line, LINE_BUFFER_SIZE - 1);
        std::memcpy(text + used, line, length);
        text[used + length] = '\0';
        used += length + 1;
        ++count;
    }

    template <typename Visit>
    void ForEach(const Visit& visit) const {
        const char* line = text;
        for (int i = 0; i < count; ++i) {
            visit(line);
            line += std::strlen(line) + 1;
        }
    }

    void Clear() {
        used = 0;
        count = 0;
    }

private:
    char text[kBatchBytes];
    size_t used = 0;
    int count = 0;
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
        // Reads follow only a wait that began with the port open, so that the channel takes a
        // close during them for the race it is. The wait after an open returns at once when
        // bytes are waiting.
        const bool openBeforeWait = port.portOpen.load() == 1;
        port.WaitForInput();
        if (openBeforeWait && port.portOpen.load() == 1 && context.stopWorker.load() == 0 &&
            !ReadAvailable()) {
            break;
        }
    }
    return 0;
}

// Reads until the port has nothing more (a read returns less than a full buffer) and hands
// the lines of all those reads over at once, in order: one hand-off for a burst instead of
// one per read. False when the program is stopping.
bool ReceiveWorker::ReadAvailable() {
    CSCom& port = context.serialPort;
    int n = kReadSize;
    while (n == kReadSize && port.portOpen.load() == 1) {
        if (!batch->HasRoomForRead() && !HandOffLines()) {
            return false;
        }
        n = port.ReadPort(readBuffer, kReadSize);
        assembler.Feed(readBuffer, n, addLine);
    }
    if (!HandOffLines()) {
        return false;
    }
    // Reads that a close ended, or that found bytes, have nothing to report.
    return n != 0 || !port.LineLost() || ReportLostOnce();
}

bool ReceiveWorker::HandOffLines() {
    if (batch->Empty()) {
        return true;
    }
    const bool ran = context.handoff.RunOnUiThread([this] {
        batch->ForEach([this](const char* line) { context.owner.OnLineReceived(line); });
    });
    batch->Clear();
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
