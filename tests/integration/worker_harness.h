#pragma once

#include <atomic>
#include <condition_variable>
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
    // The Open handler at the fixed settings; OpenPort's result.
    int OpenLikeOwner(uint16_t portNumber) { return port.OpenPort(portNumber, SerialSettings{}); }
    // The Close handler: flag first, then the channel.
    void CloseLikeOwner() {
        port.portOpen.store(0);
        port.ClosePort();
    }
    // True once `count` lines were recorded; false after ten seconds.
    bool WaitForLines(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return lines.size() >= count; });
    }
    // True once the worker reported the port lost `count` times; false after ten seconds.
    bool WaitForPortLost(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return lost >= count; });
    }
    int PortLostCount() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lost;
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    size_t LineCount() const { return Lines().size(); }

private:
    void Take() {
        std::vector<ReceivedItem> items;
        queue.TakeAll(items);
        std::lock_guard<std::mutex> lock(mutex);
        for (const ReceivedItem& item : items) {
            if (item.kind == ReceivedItem::Kind::Line) {
                lines.push_back(item.line);
            }
            lost += item.kind == ReceivedItem::Kind::PortLost ? 1 : 0;
        }
        changed.notify_all();
    }

    CSCom& port;
    std::atomic<int> stopWorker{0};
    std::atomic<int> result{-1};
    mutable std::mutex mutex;  // guards lines and lost
    std::condition_variable changed;
    std::vector<std::string> lines;
    int lost = 0;
    ReceiveQueue queue{[this] { Take(); }};
    ReceiveContext context{port, stopWorker, queue};
    std::thread worker;
};
