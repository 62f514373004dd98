#include "bench/paced_stream.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr double kBytesPerSecond = 115200.0 / 10.0;  // 8N1: ten bits a byte

void SleepUntil(const timespec& when) {
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) != 0) {
    }
}

timespec After(const timespec& start, double seconds) {
    const long long ns = static_cast<long long>(seconds * 1e9);
    timespec when = start;
    when.tv_sec += static_cast<time_t>(ns / 1000000000LL);
    when.tv_nsec += static_cast<long>(ns % 1000000000LL);
    if (when.tv_nsec >= 1000000000L) {
        when.tv_sec += 1;
        when.tv_nsec -= 1000000000L;
    }
    return when;
}

}  // namespace

const PacedStream kPacedStreams[2] = {{"640", {"!PA 192.168.0.100"}},
                                      {"1218", {"!PP 1470", "!PP 14700"}}};

int SendPaced(PtyHost& device, const PacedStream& stream, int seconds) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    double sentBytes = 0;
    int lines = 0;
    while (sentBytes / kBytesPerSecond < seconds) {
        const std::string line = stream.lines[size_t(lines) % stream.lines.size()] + "\r";
        sentBytes += static_cast<double>(line.size());
        SleepUntil(After(start, sentBytes / kBytesPerSecond));
        device.Inject(line);
        ++lines;
    }
    return lines;
}

void ReportCpu(const std::string& name, const ProcessCounters& used, int seconds) {
    const double corePercent = static_cast<double>(used.cpuNs) / (seconds * 1e9) * 100.0;
    std::printf(
        "%-22s %2d s: CPU %.3f ms (%.3f%% of a core), context switches %lld voluntary + %lld "
        "involuntary (%.1f wake-ups/s), read/write calls %lld/%lld\n",
        name.c_str(), seconds, static_cast<double>(used.cpuNs) / 1e6, corePercent,
        used.voluntarySwitches, used.involuntarySwitches,
        static_cast<double>(used.voluntarySwitches) / seconds, used.readCalls, used.writeCalls);
    PrintResult(name + "_cpu", corePercent, "%core");
}

std::string BurstLine(int index) {
    char line[32];
    std::snprintf(line, sizeof line, "!PA 10.%d.%d.%d", index >> 16 & 255, index >> 8 & 255,
                  index & 255);
    return line;
}

std::string Burst(int lines) {
    std::string burst;
    for (int i = 0; i < lines; ++i) {
        burst += BurstLine(i) + "\r";
    }
    return burst;
}

pid_t XServerPid() {
    const char* pid = std::getenv("XVFB_PID");
    return pid != nullptr ? static_cast<pid_t>(std::atoi(pid)) : 0;
}

long long ResidentBytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long long kb = 0;
            status >> kb;
            return kb * 1024;
        }
    }
    return 0;
}
