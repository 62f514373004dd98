#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "link/com_port_map.h"
#include "sim/pty_host.h"

// What every benchmark shares: its machine-readable result lines, counters of a process from
// /proc, the heap in use, and a private device tree in which simulated devices are linked as
// COM ports (no benchmark ever looks at the machine's own serial devices).

// Prints "RESULT <name> <value> <unit>" for bench/run to collect.
void PrintResult(const std::string& name, double value, const std::string& unit);

// Counters of all threads of a process, summed from /proc/<pid>/task/*: CPU time from each
// thread's schedstat (nanoseconds, not clock ticks), context switches from each status, and
// the process's read/write system calls from /proc/<pid>/io.
struct ProcessCounters {
    long long cpuNs = 0;
    long long voluntarySwitches = 0;
    long long involuntarySwitches = 0;
    long long readCalls = 0;
    long long writeCalls = 0;

    ProcessCounters operator-(const ProcessCounters& earlier) const;
};

ProcessCounters SampleProcess(pid_t pid);
// Counters of one thread of this process (the I/O ones are that thread's own).
ProcessCounters SampleThread(pid_t tid);

// Heap bytes allocated by this process, large separately mapped blocks included.
size_t HeapInUse();

// A temporary folder with empty fake /sys and /dev trees and a links folder: discovery over
// it offers only the simulated devices linked there. Removed again by the destructor.
class DeviceTree {
public:
    DeviceTree();
    ~DeviceTree();
    DeviceTree(const DeviceTree&) = delete;
    DeviceTree& operator=(const DeviceTree&) = delete;

    bool IsValid() const { return !base.empty(); }
    // Where discovery and the channel look: the fake trees and the links folder.
    PortRoots Roots() const;

private:
    std::string base;
};

// A simulated VDM-R30 on a pseudo-terminal, linked as COM kComNumber in a DeviceTree.
class BenchDevice {
public:
    static constexpr int kComNumber = 7;

    explicit BenchDevice(const DeviceTree& tree, std::vector<std::string> storedLines = {});

    // Starts the device and links it; false with the reason on stderr.
    [[nodiscard]] bool Start();
    // The path the program must open for COM kComNumber in `tree`; nothing else may be opened.
    static std::string LinkPath(const DeviceTree& tree);
    PtyHost& Host() { return host; }

private:
    std::string linksDir;
    PtyHost host;
};
