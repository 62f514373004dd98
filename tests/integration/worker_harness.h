#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/serial_channel.h"
#include "protocol/receive_queue.h"
#include "protocol/receive_worker.h"

// The receive worker on its own thread over a channel. The queue's wake-up stands in for the
// window: it takes what the worker queued, on the worker's thread, and records the lines.
// The destructor stops the worker.
class WorkerHarness {
public:
    explicit WorkerHarness(CSCom& port)
        : port(port), worker([this] { result = ReceiveThreadProc(&context); }) {}
    ~WorkerHarness() { Stop(); }
    WorkerHarness(const WorkerHarness&) = delete;
    WorkerHarness& operator=(const WorkerHarness&) = delete;

    // Sets stopWorker, wakes the worker and joins it (a worker that does not end hangs here);
    // true when it returned 0.
    bool Stop() {
        stopWorker.store(1);
        port.Wake();
        if (worker.joinable()) {
            worker.join();
        }
        return result.load() == 0;
    }
    // The Close handler: flag first, then the channel.
    void CloseLikeOwner() {
        port.portOpen.store(0);
        port.ClosePort();
    }
    // What the window was handed so far: the lines, and how often the port was lost.
    struct Taken {
        std::vector<std::string> lines;
        int lost = 0;
    };
    // True once `done` holds for what was taken; false after ten seconds.
    bool WaitUntil(const std::function<bool(const Taken&)>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return done(taken); });
    }
    Taken Seen() const {
        std::lock_guard<std::mutex> lock(mutex);
        return taken;
    }

private:
    void Take() {
        ReceivedBatch items;
        queue.TakeAll(items);
        std::lock_guard<std::mutex> lock(mutex);
        for (ReceivedBatch::Item item; items.Next(item);) {
            if (item.kind == ReceivedItem::Kind::Line) {
                taken.lines.emplace_back(item.line);
            }
            taken.lost += item.kind == ReceivedItem::Kind::PortLost ? 1 : 0;
        }
        changed.notify_all();
    }

    CSCom& port;
    std::atomic<int> stopWorker{0};
    std::atomic<int> result{-1};
    mutable std::mutex mutex;  // guards taken
    std::condition_variable changed;
    Taken taken;
    ReceiveQueue queue{[this] { Take(); }};
    ReceiveContext context{port, stopWorker, queue};
    std::thread worker;
};
