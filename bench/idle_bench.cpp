// Idle cost of the receive worker: the port open on a silent simulated device, then closed.
// Measures the worker thread's CPU time, wake-ups (context switches) and read/write system
// calls over a period, and the whole process's CPU time.
//
//   idle_bench [seconds per phase, default 10]

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "protocol/receive_worker.h"
#include "sim/device_model.h"
#include "sim/pty_host.h"

namespace {

constexpr int kPort = 7;

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

// One thread's counters from /proc.
struct ThreadSample {
    long long cpuNs = 0;
    long long voluntarySwitches = 0;
    long long involuntarySwitches = 0;
    long long readCalls = 0;
    long long writeCalls = 0;
};

long long FieldAfter(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string word;
    while (in >> word) {
        if (word == key) {
            long long value = 0;
            in >> value;
            return value;
        }
    }
    return -1;
}

ThreadSample SampleThread(pid_t tid) {
    const std::string task = "/proc/self/task/" + std::to_string(tid);
    ThreadSample sample;
    std::ifstream(task + "/schedstat") >> sample.cpuNs;
    sample.voluntarySwitches = FieldAfter(task + "/status", "voluntary_ctxt_switches:");
    sample.involuntarySwitches = FieldAfter(task + "/status", "nonvoluntary_ctxt_switches:");
    sample.readCalls = FieldAfter(task + "/io", "syscr:");
    sample.writeCalls = FieldAfter(task + "/io", "syscw:");
    return sample;
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Measure(const char* phase, pid_t workerTid, int seconds) {
    const ThreadSample before = SampleThread(workerTid);
    const double processBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const ThreadSample after = SampleThread(workerTid);
    const double processCpu = ProcessCpuSeconds() - processBefore;
    std::printf(
        "%-12s %3d s  worker CPU %8.3f ms  worker switches %lld voluntary, %lld "
        "involuntary  worker read/write calls %lld/%lld  process CPU %.3f ms\n",
        phase, seconds, static_cast<double>(after.cpuNs - before.cpuNs) / 1e6,
        after.voluntarySwitches - before.voluntarySwitches,
        after.involuntarySwitches - before.involuntarySwitches, after.readCalls - before.readCalls,
        after.writeCalls - before.writeCalls, processCpu * 1e3);
}

}  // namespace

int Run(const std::string& linksDir, int seconds) {
    PortRoots roots;
    roots.sysRoot = "/nonexistent";
    roots.devRoot = "/nonexistent";
    roots.linksDir = linksDir;
    PtyHost host{DeviceModel({"!PA 192.168.0.10"})};
    std::string error;
    if (!host.Start(&error) || !host.LinkAsCom(kPort, roots.linksDir, &error)) {
        std::fprintf(stderr, "cannot set up the simulated device: %s\n", error.c_str());
        return 1;
    }
    ComPortMap map(roots);
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

    const bool opened = port.OpenPort(kPort, SerialSettings{}) == 1;
    if (opened) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the open settle
        Measure("port open", tid, seconds);
        port.portOpen.store(0);
        port.ClosePort();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Measure("port closed", tid, seconds);
    }
    stopWorker.store(1);
    port.Wake();
    worker.join();
    std::printf("lines received while idle: %d, port lost: %d\n", owner.lines, owner.lost);
    return opened ? 0 : 1;
}

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    char folder[] = "/tmp/quillbox-idle-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string linksDir = std::string(folder) + "/ports";
    const int result = Run(linksDir, seconds);
    rmdir(linksDir.c_str());
    rmdir(folder);
    std::printf("command: %s %d\n", argv[0], seconds);
    return result;
}
