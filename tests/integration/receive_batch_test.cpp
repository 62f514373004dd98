// The receive worker hands the lines of a burst over in large hand-offs: the lines of all the
// reads that drain the port go together, in slices of at most 16 KB, each line once, whole
// and in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/receive_worker.h"
#include "tests/integration/channel_fixture.h"

namespace {

using Lines = std::vector<std::string>;
constexpr size_t kSliceBytes = 16384;  // lines with their NULs in one hand-off, at most
constexpr auto kWait = std::chrono::seconds(10);

// Runs each hand-off's job on the worker thread and keeps the lines of each hand-off apart.
// Hand-offs wait at a gate until it opens, as they do while the user-interface thread is busy.
class HandoffRecorder : public UiHandoff, public ReceiveOwner {
public:
    bool RunOnUiThread(const std::function<void()>& job) override {
        {
            std::unique_lock<std::mutex> lock(mutex);
            waiting = true;
            changed.notify_all();
            changed.wait(lock, [this] { return open || stopping; });
            waiting = false;
            if (stopping) {
                return false;
            }
            handoffs.emplace_back();
        }
        job();
        return true;
    }
    void OnLineReceived(const char* line) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            handoffs.back().emplace_back(line);
            ++lineCount;
        }
        changed.notify_all();
    }
    void OnPortLost() override {}

    void OpenGate() {
        Set([this] { open = true; });
    }
    void Stop() {
        Set([this] { stopping = true; });
    }
    bool WaitUntilWaiting() {
        return WaitFor([this] { return waiting; });
    }
    bool WaitForLines(size_t count) {
        return WaitFor([&] { return lineCount >= count; });
    }
    std::vector<Lines> Handoffs() const {
        std::lock_guard<std::mutex> lock(mutex);
        return handoffs;
    }

private:
    void Set(const std::function<void()>& change) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            change();
        }
        changed.notify_all();
    }
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kWait, done);
    }

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool stopping = false;
    bool waiting = false;
    size_t lineCount = 0;
    std::vector<Lines> handoffs;
};

class ReceiveBatchTest : public ChannelTest {
protected:
    void SetUp() override {
        worker = std::thread([this] { ReceiveThreadProc(&context); });
        ASSERT_EQ(Open(), 1);
    }
    void TearDown() override {
        stopWorker.store(1);
        recorder.Stop();
        port.Wake();
        worker.join();
    }

    // Holds the worker in a hand-off (of a first line) while `burst` fills the terminal from
    // another thread; lets it go once at least `queued` bytes wait in the terminal's input
    // queue, and waits for all the lines.
    void SendWhileHeldBack(const std::string& burst, int queued, size_t lines) {
        pty.Send(std::string(kFirst) + "\r");
        ASSERT_TRUE(recorder.WaitUntilWaiting());
        std::thread device([&] { pty.Send(burst); });
        const bool filled = WaitUntil([&] { return pty.Unread() >= queued; });
        recorder.OpenGate();
        const bool all = recorder.WaitForLines(lines + 1);
        device.join();
        ASSERT_TRUE(filled);
        ASSERT_TRUE(all);
    }

    Lines AllLines() const {
        Lines all;
        for (const Lines& handoff : recorder.Handoffs()) {
            all.insert(all.end(), handoff.begin(), handoff.end());
        }
        return all;
    }

    static constexpr const char* kFirst = "!PP 1470";
    std::atomic<int> stopWorker{0};
    HandoffRecorder recorder;
    ReceiveContext context{port, stopWorker, recorder, recorder};
    std::thread worker;
};

size_t SliceBytes(const Lines& handoff) {
    size_t bytes = 0;
    for (const std::string& line : handoff) {
        bytes += line.size() + 1;
    }
    return bytes;
}

TEST_F(ReceiveBatchTest, LinesOfManyReadsGoOverInOneHandoff) {
    Lines expected = {kFirst};
    std::string burst;
    for (int i = 0; i < 3000; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "!SC %05d", i);
        expected.emplace_back(line);
        burst += std::string(line) + "\r";
    }
    // 2,000 waiting bytes are 200 lines; one read of 128 bytes completes 13 at most.
    SendWhileHeldBack(burst, 2000, 3000);

    EXPECT_EQ(AllLines(), expected);
    const std::vector<Lines> handoffs = recorder.Handoffs();
    size_t largest = 0;
    for (const Lines& handoff : handoffs) {
        largest = std::max(largest, handoff.size());
    }
    EXPECT_GE(largest, 200u);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ReceiveBatchTest, LongLinesKeepTheirBytesAcrossSlices) {
    Lines expected = {kFirst};
    std::string burst;
    for (int i = 0; i < 400; ++i) {
        std::string line = "!SC " + std::to_string(i) + " ";
        while (line.size() < 127) {
            line += char('a' + (i + line.size()) % 26);
        }
        // Every tenth line runs on past the line buffer, and is cut to its first 127 bytes.
        burst += line + (i % 10 == 0 ? std::string(200, 'z') : std::string()) + "\r";
        expected.push_back(line);
    }
    SendWhileHeldBack(burst, 2000, 400);

    EXPECT_EQ(AllLines(), expected);
    // 51,200 bytes of lines and NULs do not fit in three slices.
    const std::vector<Lines> handoffs = recorder.Handoffs();
    EXPECT_GE(handoffs.size(), 1u + 4u);
    for (const Lines& handoff : handoffs) {
        EXPECT_LE(SliceBytes(handoff), kSliceBytes);
    }
    EXPECT_EQ(sink.Count(), 0u);
}

}  // namespace
