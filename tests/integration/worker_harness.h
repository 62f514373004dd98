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
#include "protocol/receive_worker.h"

// The receive worker on its own thread over a channel, with the test as its owner. A hand-off
// runs its job on the worker thread but under the lock that OpenLikeOwner and CloseLikeOwner
// take too, so that, as on the program's user-interface thread, line handling never overlaps
// an Open or Close handler. Paused hand-offs wait; once stopped they give up without running.
// The destructor stops the worker.
class WorkerHarness : public UiHandoff, public ReceiveOwner {
public:
    using Timeout = std::chrono::milliseconds;
    static constexpr Timeout kWait = std::chrono::seconds(10);

    explicit WorkerHarness(CSCom& port)
        : port(port), worker([this] { finished.set_value(ReceiveThreadProc(&context)); }) {}
    ~WorkerHarness() override { Stop(); }
    WorkerHarness(const WorkerHarness&) = delete;
    WorkerHarness& operator=(const WorkerHarness&) = delete;

    // Sets stopWorker, releases waiting hand-offs, wakes the worker; true when it returned 0.
    bool Stop() {
        if (!worker.joinable()) {
            return true;
        }
        stopWorker.store(1);
        Update([this] { stopping = true; });
        port.Wake();
        const bool ended = result.wait_for(kWait) == std::future_status::ready;
        EXPECT_TRUE(ended) << "the receive worker did not end";
        worker.join();
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
    // From now on hand-offs wait (the user-interface thread busy elsewhere) until Stop.
    void Pause() {
        Update([this] { paused = true; });
    }

    // True once the condition holds over what was recorded; false after ten seconds.
    bool WaitForLines(size_t count) {
        return WaitFor([&] { return lines.size() >= count; });
    }
    bool WaitForPortLost(int count) {
        return WaitFor([&] { return portLost >= count; });
    }
    bool WaitForPendingHandoff() {
        return WaitFor([&] { return pending; });
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    size_t LineCount() const {
        std::lock_guard<std::mutex> lock(mutex);
        return lines.size();
    }
    int PortLostCount() const {
        std::lock_guard<std::mutex> lock(mutex);
        return portLost;
    }
    // Owner calls that came outside a hand-off.
    int CallsOutsideHandoff() const {
        std::lock_guard<std::mutex> lock(mutex);
        return outsideHandoff;
    }

    // What the owner does when the port is lost (the real one closes it); inside the hand-off.
    std::function<void()> onPortLost;

private:
    bool RunOnUiThread(const std::function<void()>& job) override {
        {
            std::unique_lock<std::mutex> lock(mutex);
            pending = true;
            changed.notify_all();
            changed.wait(lock, [this] { return stopping || !paused; });
            pending = false;
            if (stopping) {
                return false;
            }
        }
        std::lock_guard<std::mutex> ui(uiThread);
        inHandoff.store(true);
        job();
        inHandoff.store(false);
        return true;
    }
    void OnLineReceived(const char* line) override {
        Update([&] { lines.emplace_back(line); }, true);
    }
    void OnPortLost() override {
        if (onPortLost) {
            onPortLost();
        }
        Update([this] { ++portLost; }, true);
    }

    // Changes the record under the lock; an owner call is noted when it comes from outside a
    // hand-off.
    void Update(const std::function<void()>& change, bool ownerCall = false) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            change();
            outsideHandoff += ownerCall && !inHandoff.load() ? 1 : 0;
        }
        changed.notify_all();
    }
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kWait, done);
    }

    CSCom& port;
    std::atomic<int> stopWorker{0};
    std::mutex uiThread;  // held while a job or an Open/Close handler runs
    std::atomic<bool> inHandoff{false};
    mutable std::mutex mutex;  // guards everything below
    std::condition_variable changed;
    bool paused = false;
    bool stopping = false;
    bool pending = false;
    std::vector<std::string> lines;
    int portLost = 0;
    int outsideHandoff = 0;
    ReceiveContext context{port, stopWorker, *this, *this};
    std::promise<int> finished;
    std::future<int> result = finished.get_future();
    std::thread worker;
};
