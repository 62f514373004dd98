// Receive throughput: a burst of lines injected through a pseudo-terminal into the real
// channel, the receive worker, the line assembly and a hand-off that runs each batch on a
// second thread while the worker waits (as the user-interface thread does). Every line is
// checked to arrive once, whole and in order.
//
//   receive_bench [lines, default 200000]

#include <cstdlib>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "protocol/receive_worker.h"

namespace {

constexpr int kPort = BenchDevice::kComNumber;
using Clock = std::chrono::steady_clock;

class PrintingSink : public MessageSink {
public:
    void ShowMessage(const UserMessage& message) override {
        std::fprintf(stderr, "message: %s (%s)\n", message.text.c_str(), message.detail.c_str());
        ++count;
    }
    std::atomic<int> count{0};
};

// Runs each job on its own thread while the caller waits, one job at a time.
class ThreadHandoff : public UiHandoff {
public:
    ThreadHandoff() : ui([this] { Loop(); }) {}
    ~ThreadHandoff() override {
        Stop();
        ui.join();
    }
    // The program is stopping: a waiting or later hand-off gives up.
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
    }
    bool RunOnUiThread(const std::function<void()>& job) override {
        std::unique_lock<std::mutex> lock(mutex);
        if (stopping) {
            return false;
        }
        pending = &job;
        ++handoffs;
        changed.notify_all();
        // A job already running must finish: it uses the worker's buffers.
        changed.wait(lock, [this] { return pending == nullptr || (stopping && !running); });
        const bool ran = pending == nullptr;
        pending = nullptr;
        return ran;
    }
    long Handoffs() {
        std::lock_guard<std::mutex> lock(mutex);
        return handoffs;
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return pending != nullptr || stopping; });
            if (stopping) {
                return;
            }
            running = true;
            lock.unlock();
            (*pending)();
            lock.lock();
            running = false;
            pending = nullptr;
            changed.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()>* pending = nullptr;
    bool stopping = false;
    bool running = false;
    long handoffs = 0;
    std::thread ui;
};

std::string BurstLine(int index) {
    char line[32];
    std::snprintf(line, sizeof line, "!PA 10.%d.%d.%d", index >> 16 & 255, index >> 8 & 255,
                  index & 255);
    return line;
}

// Compares every line with the one expected next; signals when the last one came.
class CheckingOwner : public ReceiveOwner {
public:
    explicit CheckingOwner(const std::vector<std::string>& expected) : expected(expected) {}

    void OnLineReceived(const char* line) override {
        if (received < expected.size() && expected[received] != line) {
            ++outOfOrder;
        }
        if (++received == expected.size()) {
            std::lock_guard<std::mutex> lock(mutex);
            lastArrival = Clock::now();
            done = true;
            allArrived.notify_all();
        }
    }
    void OnPortLost() override { ++lost; }

    bool WaitForAll(std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> lock(mutex);
        return allArrived.wait_for(lock, timeout, [this] { return done; });
    }

    const std::vector<std::string>& expected;
    size_t received = 0;
    size_t outOfOrder = 0;
    int lost = 0;
    Clock::time_point lastArrival;

private:
    std::mutex mutex;
    std::condition_variable allArrived;
    bool done = false;
};

int Run(int lineCount) {
    std::vector<std::string> expected;
    std::string burst;
    for (int i = 0; i < lineCount; ++i) {
        expected.push_back(BurstLine(i));
        burst += expected.back() + "\r";
    }
    DeviceTree tree;
    BenchDevice device(tree);
    if (!tree.IsValid() || !device.Start()) {
        return 1;
    }
    ComPortMap map(tree.Roots());
    PrintingSink sink;
    CSCom port(map, sink);
    std::atomic<int> stopWorker{0};
    ThreadHandoff handoff;
    CheckingOwner owner(expected);
    ReceiveContext context{port, stopWorker, handoff, owner};
    std::thread worker([&] { ReceiveThreadProc(&context); });
    if (map.DevicePath(kPort) != BenchDevice::LinkPath(tree) ||
        port.OpenPort(kPort, SerialSettings{}) != 1) {
        stopWorker.store(1);
        port.Wake();
        worker.join();
        return 1;
    }

    const Clock::time_point start = Clock::now();
    std::thread sender([&] { device.Host().Inject(burst); });
    const bool complete = owner.WaitForAll(std::chrono::seconds(120));
    sender.join();
    const double elapsed =
        std::chrono::duration<double>((complete ? owner.lastArrival : Clock::now()) - start)
            .count();

    stopWorker.store(1);
    handoff.Stop();
    port.Wake();
    worker.join();

    std::printf("lines sent %d, received %zu, lost %zu, out of order %zu, messages %d\n", lineCount,
                owner.received, expected.size() - std::min(expected.size(), owner.received),
                owner.outOfOrder, sink.count.load());
    std::printf("bytes %zu in %.3f s: %.0f lines/s, %.1f MB/s, %ld hand-offs (%.1f lines each)\n",
                burst.size(), elapsed, static_cast<double>(owner.received) / elapsed,
                static_cast<double>(burst.size()) / elapsed / 1e6, handoff.Handoffs(),
                static_cast<double>(owner.received) /
                    static_cast<double>(std::max(1L, handoff.Handoffs())));
    if (!complete || owner.outOfOrder != 0) {
        return 1;
    }
    PrintResult("receive_200k_lines", elapsed * 200000.0 / lineCount, "s");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int lineCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    std::printf("command: %s %d\n", argv[0], lineCount);
    return Run(lineCount);
}
