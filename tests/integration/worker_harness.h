#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/serial_channel.h"
#include "protocol/receive_queue.h"
#include "protocol/receive_worker.h"

// The receive worker on its own thread over a channel, with a drain thread standing in for the
// window: it takes what the worker queued and records it. The destructor stops both.
class WorkerHarness {
public:
    using Timeout = std::chrono::milliseconds;
    static constexpr Timeout kWait = std::chrono::seconds(10);

    explicit WorkerHarness(CSCom& port)
        : port(port),
          worker([this] { finished.set_value(ReceiveThreadProc(&context)); }),
          drainer([this] { Drain(); }) {}
    ~WorkerHarness() { Stop(); }
    WorkerHarness(const WorkerHarness&) = delete;
    WorkerHarness& operator=(const WorkerHarness&) = delete;

    // Sets stopWorker and wakes the worker; true when it returned 0.
    bool Stop() {
        if (!worker.joinable()) {
            return true;
        }
        stopWorker.store(1);
        port.Wake();
        const bool ended = result.wait_for(kWait) == std::future_status::ready;
        EXPECT_TRUE(ended) << "the receive worker did not end";
        worker.join();
        Update([this] { stopping = true; });
        drainer.join();
        return ended && result.get() == 0;
    }
    // The Open handler at the fixed settings; OpenPort's result.
    int OpenLikeOwner(uint16_t portNumber) {
        std::lock_guard<std::mutex> ui(uiThread);
        return port.OpenPort(portNumber, SerialSettings{});
    }
    // The Close handler: flag first, then the channel.
    void CloseLikeOwner() {
        std::lock_guard<std::mutex> ui(uiThread);
        port.portOpen.store(0);
        port.ClosePort();
    }

    // True once the condition holds over what was recorded; false after ten seconds.
    bool WaitForLines(size_t count) {
        return WaitFor([&] { return lines.size() >= count; });
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    size_t LineCount() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lines.size();
    }

private:
    void Drain() {
        std::vector<ReceivedItem> items;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [this] { return stopping || woken; });
                if (stopping) {
                    return;
                }
                woken = false;
            }
            queue.TakeAll(items);
            std::lock_guard<std::mutex> ui(uiThread);
            for (const ReceivedItem& item : items) {
                if (item.kind == ReceivedItem::Kind::Line) {
                    Update([&] { lines.push_back(item.line); });
                }
            }
        }
    }
    void Update(const std::function<void()>& change) {
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

    CSCom& port;
    std::atomic<int> stopWorker{0};
    std::mutex uiThread;       // held while a drain or an Open/Close handler runs
    mutable std::mutex mutex;  // guards everything below
    std::condition_variable changed;
    bool stopping = false;
    bool woken = false;
    std::vector<std::string> lines;
    ReceiveQueue queue{[this] { Update([this] { woken = true; }); }};
    ReceiveContext context{port, stopWorker, queue};
    std::promise<int> finished;
    std::future<int> result = finished.get_future();
    std::thread worker;
    std::thread drainer;
};
