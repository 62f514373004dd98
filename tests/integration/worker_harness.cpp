#include "tests/integration/worker_harness.h"

#include <gtest/gtest.h>

void RecordingOwner::OnLineReceived(const char* line) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(line);
    }
    Note();
}

void RecordingOwner::OnPortLost() {
    if (onPortLost) {
        onPortLost();
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++portLost;
    }
    Note();
}

void RecordingOwner::Note() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        offUiThread += std::this_thread::get_id() != uiThread ? 1 : 0;
    }
    changed.notify_all();
}

std::vector<std::string> RecordingOwner::Lines() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lines;
}

size_t RecordingOwner::LineCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lines.size();
}

int RecordingOwner::PortLostCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return portLost;
}

int RecordingOwner::CallsOffUiThread() const {
    std::lock_guard<std::mutex> lock(mutex);
    return offUiThread;
}

bool RecordingOwner::WaitForLines(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return lines.size() >= count; });
}

bool RecordingOwner::WaitForPortLost(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return portLost > 0; });
}

WorkerHarness::WorkerHarness(CSCom& port)
    : port(port),
      owner(handoff.ThreadId()),
      context{port, stopWorker, handoff, owner},
      result(finished.get_future()),
      worker([this] { finished.set_value(ReceiveThreadProc(&context)); }) {}

WorkerHarness::~WorkerHarness() {
    Stop();
}

bool WorkerHarness::Stop(std::chrono::milliseconds timeout) {
    if (!worker.joinable()) {
        return true;
    }
    stopWorker.store(1);
    handoff.Stop();
    port.Wake();
    const bool ended = result.wait_for(timeout) == std::future_status::ready;
    EXPECT_TRUE(ended) << "the receive worker did not end";
    worker.join();
    return ended && result.get() == 0;
}

int WorkerHarness::OpenLikeOwner(uint16_t portNumber) {
    int opened = 0;
    const bool ran =
        handoff.RunOnUiThread([&] { opened = port.OpenPort(portNumber, SerialSettings{}); });
    EXPECT_TRUE(ran);
    return opened;
}

void WorkerHarness::CloseLikeOwner() {
    const bool ran = handoff.RunOnUiThread([this] {
        port.portOpen.store(0);
        port.ClosePort();
    });
    EXPECT_TRUE(ran);
}
