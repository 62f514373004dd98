// The whole program with its port open, measured from outside: a child process runs the real
// main window (on the display QT_QPA_PLATFORM and DISPLAY name, offscreen without them) and
// opens the simulated device's port; this process plays the device and reads the child's
// counters from /proc (CPU time and context switches of every thread, read and write calls).
//   1. idle: the device is silent for the period, the focus where the window left it after
//      Open; the program should make no call at all.
//   2. paced: the device sends setting lines at the pace of 115200 baud (one line at a time,
//      at the moment its last byte would have arrived) for the period: 18-byte lines (640 a
//      second) and short ones (about 1,200 a second), with a fresh log, then with 200,000 and
//      with 1,000,000 rows already in it; every line must be logged.
//   3. caret: silent again for half the period, with the focus in the Command edit as when the
//      operator types there; its caret blinks at the desktop's cursor flash time.
// With XVFB_PID set (bench/run), the X server's CPU in each paced phase is reported beside.
// terminal_bench feeds the same streams to serial terminals, for comparison.
//
//   ui_stream_bench [seconds per phase, default 10]
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/bench_support.h"
#include "bench/paced_stream.h"
#include "bench/ui_bench_window.h"
#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"

namespace {

constexpr int kPreloadRows = 200000;
constexpr int kSettleMs = 1000;
constexpr int kReplyTimeoutMs = 30000;

struct Pipes {
    int toChild[2] = {-1, -1};
    int toParent[2] = {-1, -1};
};

// Blocks for one line from `fd`, at most `timeoutMs`; "" on time-out or end.
std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    char byte = 0;
    pollfd readable{fd, POLLIN, 0};
    while (poll(&readable, 1, timeoutMs) == 1 && read(fd, &byte, 1) == 1 && byte != '\n') {
        line += byte;
    }
    return line;
}

void WriteText(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

// The control that has the keyboard focus, by its object name and class.
std::string FocusName() {
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return "nothing";
    }
    return focus->objectName().toStdString() + " (" + focus->metaObject()->className() + ")";
}

// The program: waits until the device is there, opens its port, reports "ready", and runs
// until the parent closes its pipe; then reports the rows logged and the messages shown.
int RunChild(int argc, char** argv, const DeviceTree& tree, const std::string& linkPath,
             const Pipes& pipes) {
    if (ReadLine(pipes.toChild[0], kReplyTimeoutMs) != "device") {
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    }
    QApplication application(argc, argv);
    BenchWindow bench(tree);
    if (!bench.ShowAndOpen(linkPath)) {
        WriteText(pipes.toParent[1], "failed\n");
        return 1;
    }
    // The parent's requests: 'c' puts the focus in the Command edit, 'r' adds kPreloadRows rows
    // to the log; the end of the pipe quits.
    int preloaded = 0;
    QSocketNotifier requests(pipes.toChild[0], QSocketNotifier::Read);
    QObject::connect(&requests, &QSocketNotifier::activated, &application, [&] {
        char request = 0;
        if (read(pipes.toChild[0], &request, 1) <= 0) {
            QApplication::exit(0);
        } else if (request == 'r') {
            CLogListCtrl& log = bench.Window().LogList();
            for (int row = 0; row < kPreloadRows; ++row) {
                log.AddLogLine(row % 2, "!PA 192.168.0.100", true);
            }
            preloaded += kPreloadRows;
            WriteText(pipes.toParent[1], std::to_string(log.Model().rowCount()) + "\n");
        } else if (request == 'c') {
            bench.Window().findChild<QWidget*>(QStringLiteral("ctl1007"))->setFocus();
            WriteText(pipes.toParent[1], FocusName() + "\n");
        }
    });
    WriteText(pipes.toParent[1], "ready " + FocusName() + "\n");
    QApplication::exec();
    const long long rows = bench.Window().LogList().Model().Logged() - preloaded;
    WriteText(pipes.toParent[1],
              std::to_string(rows) + " " + std::to_string(bench.Messages().size()) + "\n");
    return 0;
}

void Report(const std::string& name, const ProcessCounters& used, int seconds) {
    ReportCpu(name, used, seconds);
    if (name.rfind("paced", 0) != 0) {
        PrintResult(name + "_wakeups", static_cast<double>(used.voluntarySwitches) / seconds, "/s");
    }
    if (name == "idle") {
        PrintResult("idle_syscalls", static_cast<double>(used.readCalls + used.writeCalls),
                    "calls");
    }
}

// One paced stream into the device while `pid` runs; returns the lines sent.
int MeasurePaced(pid_t pid, PtyHost& device, const PacedStream& stream, const std::string& suffix,
                 int seconds) {
    const pid_t server = XServerPid();
    const ProcessCounters before = SampleProcess(pid);
    const ProcessCounters serverBefore = server > 0 ? SampleProcess(server) : ProcessCounters{};
    const int lines = SendPaced(device, stream, seconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the last line's handling
    std::printf("%d lines in %d s (%.0f a second)\n", lines, seconds, double(lines) / seconds);
    const std::string name = std::string("paced_") + stream.name + suffix;
    Report(name, SampleProcess(pid) - before, seconds);
    if (server > 0) {
        ReportCpu("xserver_" + name, SampleProcess(server) - serverBefore, seconds);
    }
    return lines;
}

// The device and the measurements, while the child runs the program.
int RunParent(pid_t child, const DeviceTree& tree, const Pipes& pipes, int seconds) {
    BenchDevice device(tree);
    if (!device.Start()) {
        return 1;
    }
    WriteText(pipes.toChild[1], "device\n");
    const std::string ready = ReadLine(pipes.toParent[0], kReplyTimeoutMs);
    if (ready.rfind("ready ", 0) != 0) {
        std::fprintf(stderr, "the program did not open the port\n");
        return 1;
    }
    std::printf("port open, focus on %s\n", ready.substr(6).c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));

    ProcessCounters before = SampleProcess(child);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    Report("idle", SampleProcess(child) - before, seconds);

    int lines = 0;
    for (const char* log : {"fresh", "200k", "1m"}) {
        const int requests = log[0] == 'f' ? 0 : log[0] == '2' ? 1 : 4;
        for (int i = 0; i < requests; ++i) {
            WriteText(pipes.toChild[1], "r");
            std::printf("rows in the log: %s\n",
                        ReadLine(pipes.toParent[0], kReplyTimeoutMs).c_str());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        for (const PacedStream& stream : kPacedStreams) {
            lines += MeasurePaced(child, device.Host(), stream, std::string("_") + log, seconds);
        }
    }

    WriteText(pipes.toChild[1], "c");
    std::printf("focus on %s\n", ReadLine(pipes.toParent[0], kReplyTimeoutMs).c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    const int caretSeconds = std::max(1, seconds / 2);
    before = SampleProcess(child);
    std::this_thread::sleep_for(std::chrono::seconds(caretSeconds));
    Report("caret", SampleProcess(child) - before, caretSeconds);

    close(pipes.toChild[1]);
    const std::string result = ReadLine(pipes.toParent[0], kReplyTimeoutMs);
    int rows = -1;
    int messages = -1;
    if (std::sscanf(result.c_str(), "%d %d", &rows, &messages) != 2) {
        std::fprintf(stderr, "no answer from the program\n");
        return 1;
    }
    std::printf("paced lines sent %d, rows logged %d, messages %d\n", lines, rows, messages);
    return rows == lines && messages == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::printf("command: QT_QPA_PLATFORM=%s %s %d\n",
                qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                    ? "(xcb with DISPLAY, else offscreen)"
                    : qgetenv("QT_QPA_PLATFORM").constData(),
                argv[0], seconds);
    std::fflush(stdout);
    DeviceTree tree;
    Pipes pipes;
    if (!tree.IsValid() || pipe(pipes.toChild) != 0 || pipe(pipes.toParent) != 0) {
        std::perror("setting up");
        return 1;
    }
    const std::string linkPath = BenchDevice::LinkPath(tree);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        close(pipes.toChild[1]);
        close(pipes.toParent[0]);
        _exit(RunChild(argc, argv, tree, linkPath, pipes));
    }
    close(pipes.toChild[0]);
    close(pipes.toParent[1]);
    const int result = RunParent(child, tree, pipes, seconds);
    if (result != 0) {
        kill(child, SIGTERM);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}
