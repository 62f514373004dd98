// Serial terminals beside the program, fed what the program is fed, each on a simulated device's
// pseudo-terminal of its own and measured from /proc as a whole process (all threads):
//   picocom: the paced streams (CPU), then a burst of N lines: the time from the first byte sent
//            to the last byte it writes to its terminal, a pseudo-terminal that this process
//            drains; and its resident memory after it.
//   gtkterm: on the display DISPLAY names (bench/run's Xvfb), in a private HOME, with a shim
//            that lets it keep a pseudo-terminal open (udev_pty_shim.cpp). Its first run
//            asks to confirm the configuration it writes; the box is answered with xdotool before
//            anything is measured. The paced streams (CPU, with the X server's beside it when
//            XVFB_PID names the server), then the burst: the time until it has drawn it (its
//            CPU has gone quiet) and its resident memory then.
// A terminal that is missing, or gtkterm without a display, is skipped with a message. Every
// port opened is a simulated device's pseudo-terminal.
//   terminal_bench [seconds per stream, default 10] [burst lines, default 200000]
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/bench_support.h"
#include "bench/paced_stream.h"
#include "sim/pty_host.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSettleMs = 1000;
constexpr int kFirstRunTries = 100;
constexpr int kQuietSamples = 3;  // of 200 ms without CPU: the burst is drawn
constexpr auto kBurstLimit = std::chrono::seconds(60);

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The paced streams into `device` while `pid` takes them, with the X server (`server`, when not
// 0) beside.
void MeasurePaced(const std::string& name, pid_t pid, PtyHost& device, int seconds, pid_t server) {
    for (const PacedStream& stream : kPacedStreams) {
        const ProcessCounters before = SampleProcess(pid);
        const ProcessCounters serverBefore = server > 0 ? SampleProcess(server) : ProcessCounters{};
        SendPaced(device, stream, seconds);
        const std::string phase = name + "_paced_" + stream.name;
        ReportCpu(phase, SampleProcess(pid) - before, seconds);
        if (server > 0) {
            ReportCpu("xserver_" + phase, SampleProcess(server) - serverBefore, seconds);
        }
    }
}

// Waits until `pid` has used no CPU for kQuietSamples samples in a row.
void WaitUntilQuiet(pid_t pid) {
    const Clock::time_point start = Clock::now();
    long long last = SampleProcess(pid).cpuNs;
    for (int quiet = 0; quiet < kQuietSamples && Clock::now() - start < kBurstLimit;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const long long now = SampleProcess(pid).cpuNs;
        quiet = now - last < 1000000 ? quiet + 1 : 0;
        last = now;
    }
}

void MeasurePicocom(int seconds, const std::string& burst) {
    PtyHost device{DeviceModel()};
    std::string error;
    if (!device.Start(&error)) {
        std::fprintf(stderr, "picocom's device: %s\n", error.c_str());
        return;
    }
    const std::string port = device.SlavePath();
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execlp("picocom", "picocom", "-q", "-b", "115200", "--noreset", "--nolock", port.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) {
        return;
    }
    std::atomic<long long> shown{0};
    std::thread drain([terminal, &shown] {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = read(terminal, buffer, sizeof buffer)) > 0) {
            shown += n;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        MeasurePaced("picocom", pid, device, seconds, 0);
        const long long before = shown.load();
        const Clock::time_point start = Clock::now();
        std::thread sender([&] { device.Inject(burst); });
        while (shown.load() - before < static_cast<long long>(burst.size()) &&
               Clock::now() - start < kBurstLimit) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double took = SecondsSince(start);
        sender.join();
        std::printf("picocom: burst of %zu bytes shown in %.3f s\n", burst.size(), took);
        PrintResult("picocom_burst_200k_lines", took, "s");
        PrintResult("picocom_burst_200k_rss", static_cast<double>(ResidentBytes(pid)) / 1048576.0,
                    "MiB");
        kill(pid, SIGTERM);
    } else {
        std::fprintf(stderr, "picocom is not installed or did not start\n");
    }
    waitpid(pid, &status, 0);
    close(terminal);
    drain.join();
}

// Answers gtkterm's first-run box (its only window without a title) until its configuration is
// written; true once it is.
bool AnswerFirstRun(pid_t pid, const std::string& configFile) {
    const std::string answer = "for w in $(xdotool search --onlyvisible --pid " +
                               std::to_string(pid) +
                               " 2>/dev/null); do [ -z \"$(xdotool getwindowname $w)\" ] && "
                               "xdotool windowfocus --sync $w key Return; done";
    for (int i = 0; i < kFirstRunTries; ++i) {
        if (access(configFile.c_str(), F_OK) == 0) {
            return true;
        }
        if (std::system(answer.c_str()) != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    return false;
}

void MeasureGtkterm(int seconds, const std::string& burst) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "gtkterm needs a display: skipped\n");
        return;
    }
    PtyHost device{DeviceModel()};
    std::string error;
    char folder[] = "/tmp/gtkterm-bench-XXXXXX";
    if (!device.Start(&error) || mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "gtkterm's device: %s\n", error.c_str());
        return;
    }
    const std::string home = folder;
    const std::string config = home + "/.config";
    mkdir(config.c_str(), 0700);
    const std::string port = device.SlavePath();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        setenv("QUILLBOX_BENCH_PTY", port.c_str(), 1);
        setenv("LD_PRELOAD", UDEV_PTY_SHIM, 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execlp("gtkterm", "gtkterm", "-p", port.c_str(), "-s", "115200",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid > 0 && AnswerFirstRun(pid, config + "/.gtktermrc")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        MeasurePaced("gtkterm", pid, device, seconds, XServerPid());
        const Clock::time_point start = Clock::now();
        device.Inject(burst);
        WaitUntilQuiet(pid);
        const double took = SecondsSince(start) - kQuietSamples * 0.2;
        std::printf("gtkterm: burst of %zu bytes drawn in about %.3f s\n", burst.size(), took);
        PrintResult("gtkterm_burst_200k_lines", took, "s");
        PrintResult("gtkterm_burst_200k_rss", static_cast<double>(ResidentBytes(pid)) / 1048576.0,
                    "MiB");
    } else {
        std::fprintf(stderr, "gtkterm is not installed or its first run was not answered\n");
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::system(("rm -rf " + home).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int lines = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200000;
    std::printf("command: %s %d %d (DISPLAY=%s)\n", argv[0], seconds, lines,
                std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
    std::fflush(stdout);
    const std::string burst = Burst(lines);
    MeasurePicocom(seconds, burst);
    MeasureGtkterm(seconds, burst);
    return 0;
}
