// Idle cost of the receive worker: the port open on a silent simulated device, then closed.
// Measures the worker thread's CPU time, wake-ups (context switches) and read/write system
// calls over a period, and the whole process's CPU time.
//
//   idle_bench [seconds per phase, default 10]

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "bench/bench_support.h"
#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "protocol/receive_worker.h"

namespace {

constexpr int kPort = BenchDevice::kComNumber;

class PrintingSink : public MessageSink {
public:
    void ShowMessage(const UserMessage& message) override {
        std::fprintf(stderr, "message: %s (%s)\n", message.text.c_str(), message.detail.c_str());
    }
};

class InlineHandoff : public UiHandoff {
public:
    explicit InlineHandoff(std::atomic<int>& stop) : stop(stop) {}
    bool RunOnUiThread(const std::function<void()>& job) override {
        if (stop.load() != 0) {
            return false;
        }
        job();
        return true;
    }

private:
    std::atomic<int>& stop;
};

class CountingOwner : public ReceiveOwner {
public:
    void OnLineReceived(const char*) override { ++lines; }
    void OnPortLost() override { ++lost; }
    int lines = 0;
    int lost = 0;
};

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Prints the worker's counters over the period; returns its wake-ups and calls.
long long Measure(const char* phase, pid_t workerTid, int seconds) {
    const ProcessCounters before = SampleThread(workerTid);
    const double processBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const ProcessCounters used = SampleThread(workerTid) - before;
    const double processCpu = ProcessCpuSeconds() - processBefore;
    std::printf(
        "%-12s %3d s  worker CPU %8.3f ms  worker switches %lld voluntary, %lld "
        "involuntary  worker read/write calls %lld/%lld  process CPU %.3f ms\n",
        phase, seconds, static_cast<double>(used.cpuNs) / 1e6, used.voluntarySwitches,
        used.involuntarySwitches, used.readCalls, used.writeCalls, processCpu * 1e3);
    return used.voluntarySwitches + used.involuntarySwitches + used.readCalls + used.writeCalls;
}

}  // namespace

int Run(int seconds) {
    DeviceTree tree;
    BenchDevice device(tree, {"!PA 192.168.0.10"});
    if (!tree.IsValid() || !device.Start()) {
        return 1;
    }
    ComPortMap map(tree.Roots());
    PrintingSink sink;
    CSCom port(map, sink);
    std::atomic<int> stopWorker{0};
    InlineHandoff handoff(stopWorker);
    CountingOwner owner;
    ReceiveContext context{port, stopWorker, handoff, owner};
    std::promise<pid_t> workerTid;
    std::thread worker([&] {
        workerTid.set_value(gettid());
        ReceiveThreadProc(&context);
    });
    const pid_t tid = workerTid.get_future().get();

    const bool opened = map.DevicePath(kPort) == BenchDevice::LinkPath(tree) &&
                        port.OpenPort(kPort, SerialSettings{}) == 1;
    if (opened) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the open settle
        const long long openActivity = Measure("port open", tid, seconds);
        port.portOpen.store(0);
        port.ClosePort();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long long closedActivity = Measure("port closed", tid, seconds);
        PrintResult("worker_idle_calls", static_cast<double>(openActivity + closedActivity),
                    "calls+switches");
    }
    stopWorker.store(1);
    port.Wake();
    worker.join();
    std::printf("lines received while idle: %d, port lost: %d\n", owner.lines, owner.lost);
    return opened ? 0 : 1;
}

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::printf("command: %s %d\n", argv[0], seconds);
    return Run(seconds);
}
