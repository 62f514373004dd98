#include "bench/bench_support.h"

#include <dirent.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

namespace {

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
    return 0;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

// CPU time and context switches of one /proc/.../task/<tid> folder.
ProcessCounters SampleTask(const std::string& task) {
    ProcessCounters sample;
    std::ifstream(task + "/schedstat") >> sample.cpuNs;
    sample.voluntarySwitches = FieldAfter(task + "/status", "voluntary_ctxt_switches:");
    sample.involuntarySwitches = FieldAfter(task + "/status", "nonvoluntary_ctxt_switches:");
    return sample;
}

// Read and write system calls from an io file of /proc.
void SampleCalls(const std::string& ioFile, ProcessCounters* sample) {
    sample->readCalls = FieldAfter(ioFile, "syscr:");
    sample->writeCalls = FieldAfter(ioFile, "syscw:");
}

// Removes what DeviceTree made and what a simulated device links there; nothing else.
void RemoveTree(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        for (const std::string& name : Entries(path)) {
            RemoveTree(path + "/" + name);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

}  // namespace

void PrintResult(const std::string& name, double value, const std::string& unit) {
    std::printf("RESULT %s %.6g %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

ProcessCounters ProcessCounters::operator-(const ProcessCounters& earlier) const {
    ProcessCounters difference;
    difference.cpuNs = cpuNs - earlier.cpuNs;
    difference.voluntarySwitches = voluntarySwitches - earlier.voluntarySwitches;
    difference.involuntarySwitches = involuntarySwitches - earlier.involuntarySwitches;
    difference.readCalls = readCalls - earlier.readCalls;
    difference.writeCalls = writeCalls - earlier.writeCalls;
    return difference;
}

ProcessCounters SampleProcess(pid_t pid) {
    const std::string process = "/proc/" + std::to_string(pid);
    ProcessCounters total;
    for (const std::string& tid : Entries(process + "/task")) {
        const ProcessCounters thread = SampleTask(process + "/task/" + tid);
        total.cpuNs += thread.cpuNs;
        total.voluntarySwitches += thread.voluntarySwitches;
        total.involuntarySwitches += thread.involuntarySwitches;
    }
    SampleCalls(process + "/io", &total);
    return total;
}

ProcessCounters SampleThread(pid_t tid) {
    const std::string task = "/proc/self/task/" + std::to_string(tid);
    ProcessCounters sample = SampleTask(task);
    SampleCalls(task + "/io", &sample);
    return sample;
}

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

DeviceTree::DeviceTree() {
    char folder[] = "/tmp/quillbox-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return;
    }
    base = folder;
    for (const char* sub : {"/sys", "/sys/class", "/sys/class/tty", "/dev", "/ports"}) {
        mkdir((base + sub).c_str(), 0700);
    }
}

DeviceTree::~DeviceTree() {
    if (!base.empty()) {
        RemoveTree(base);
    }
}

PortRoots DeviceTree::Roots() const {
    PortRoots roots;
    roots.sysRoot = base + "/sys";
    roots.devRoot = base + "/dev";
    roots.linksDir = base + "/ports";
    return roots;
}

BenchDevice::BenchDevice(const DeviceTree& tree, std::vector<std::string> storedLines)
    : linksDir(tree.Roots().linksDir), host(DeviceModel(std::move(storedLines))) {}

bool BenchDevice::Start() {
    std::string error;
    if (!host.Start(&error) || !host.LinkAsCom(kComNumber, linksDir, &error)) {
        std::fprintf(stderr, "cannot set up the simulated device: %s\n", error.c_str());
        return false;
    }
    return true;
}

std::string BenchDevice::LinkPath(const DeviceTree& tree) {
    return tree.Roots().linksDir + "/COM" + std::to_string(kComNumber);
}
