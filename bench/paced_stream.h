#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "sim/pty_host.h"

// What the program and the terminals beside it are fed: paced streams of setting lines, sent
// one at a time into a simulated device's pseudo-terminal, each at the moment its last byte
// would have arrived at 115200 baud, and bursts sent at once.

struct PacedStream {
    const char* name;
    std::vector<std::string> lines;  // repeated in turn, each sent with CR
};

// 18-byte lines (640 a second) and short ones (about 1,200 a second).
extern const PacedStream kPacedStreams[2];

// Sends `stream` for `seconds`; returns the number of lines sent.
int SendPaced(PtyHost& device, const PacedStream& stream, int seconds);

// Prints the share of a core that `used` is over `seconds`, as "RESULT <name>_cpu", with the
// wake-ups and calls beside it for the reader.
void ReportCpu(const std::string& name, const ProcessCounters& used, int seconds);

// The X server's process, when bench/run names it (XVFB_PID), else 0: its CPU is measured
// beside each windowed program's, for drawing is partly done there.
pid_t XServerPid();

// A burst of `lines` distinct setting lines ("!PA 10.0.0.0" on), each ended by CR.
std::string BurstLine(int index);
std::string Burst(int lines);

// Resident memory of a process, in bytes (VmRSS).
long long ResidentBytes(pid_t pid);
