#pragma once

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
#include "tests/integration/ui_thread_handoff.h"

// Records what the worker hands over, and on which thread.
class RecordingOwner : public ReceiveOwner {
public:
    explicit RecordingOwner(std::thread::id uiThread) : uiThread(uiThread) {}

    void OnLineReceived(const char* line) override;
    void OnPortLost() override;

    std::vector<std::string> Lines() const;
    size_t LineCount() const;
    int PortLostCount() const;
    int CallsOffUiThread() const;
    bool WaitForLines(size_t count, std::chrono::milliseconds timeout);
    bool WaitForPortLost(std::chrono::milliseconds timeout);

    // What the owner does when the port is lost (the real one closes it); UI thread.
    std::function<void()> onPortLost;

private:
    void Note();

    const std::thread::id uiThread;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> lines;
    int portLost = 0;
    int offUiThread = 0;
};

// The receive worker on its own thread over a channel, with a UI-thread hand-off and a
// recording owner. The destructor stops it.
class WorkerHarness {
public:
    explicit WorkerHarness(CSCom& port);
    ~WorkerHarness();
    WorkerHarness(const WorkerHarness&) = delete;
    WorkerHarness& operator=(const WorkerHarness&) = delete;

    // Sets stopWorker, stops the hand-off, wakes the worker; true when it returned 0 in time.
    bool Stop(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The Open handler at the fixed settings, on the UI thread; OpenPort's result.
    int OpenLikeOwner(uint16_t portNumber);
    // The Close handler: flag first, then the channel; runs on the UI thread.
    void CloseLikeOwner();

    CSCom& port;
    std::atomic<int> stopWorker{0};
    UiThreadHandoff handoff;
    RecordingOwner owner;

private:
    ReceiveContext context;
    std::promise<int> finished;
    std::future<int> result;
    std::thread worker;
};
