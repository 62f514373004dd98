// Measures the main window's message log when rows are added one call at a time, as the
// operations log the lines they send: time and heap per row for 100,000 and 200,000 rows
// appended through the window's AddLogLine with auto scroll on (events processed every 100
// rows), and the time from process start to the first paint of the window. Every row is kept.
// Received lines, which the window takes from the receive queue, are measured by
// ui_burst_bench. Runs offscreen unless QT_QPA_PLATFORM says otherwise; discovery looks at an
// empty private device tree, so no serial device is touched.
//
//   QT_QPA_PLATFORM=offscreen build/bench/ui_log_bench
//
// `--rows N` appends one burst of N rows instead; `--hold-ms N` keeps the window up for N ms
// afterwards (scripts/screenshot.sh uses both to picture a window with a filled log).
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBatchRows = 100;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Milliseconds since this process started, from its start time in /proc (clock ticks since
// boot) and the boot-time clock.
double MillisecondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    // Field 22 of the file; the name (field 2) has been skipped, so 19 more to go after
    // field 3, the state.
    for (int i = 3; i <= 22 && (fields >> field); ++i) {
    }
    const double startMs = std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6 -
           startMs;
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Lines as a device and the write steps produce them, 10 to 20 bytes.
std::string LineFor(int row) {
    char line[40];
    switch (row % 4) {
        case 0:
            std::snprintf(line, sizeof line, "!WS !PA 192.168.%d.%d", (row / 256) % 256, row % 256);
            break;
        case 1:
            std::snprintf(line, sizeof line, "!700");
            break;
        case 2:
            std::snprintf(line, sizeof line, "!SC ID%06d", row % 1000000);
            break;
        default:
            std::snprintf(line, sizeof line, "!TB 115200");
            break;
    }
    return line;
}

// Notes when the window is painted for the first time.
class FirstPaint : public QObject {
public:
    bool painted = false;
    double msSinceStart = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted && event->type() == QEvent::Paint) {
            painted = true;
            msSinceStart = MillisecondsSinceProcessStart();
        }
        return QObject::eventFilter(watched, event);
    }
};

// Appends `rows` rows and prints what they cost; the figures of the largest burst become the
// results.
void AppendBurst(CVDMR30QuillboxDlg& window, int rows, bool report) {
    window.ClearLog();
    QApplication::processEvents();
    const size_t heapBefore = HeapInUse();
    const long residentBefore = ResidentBytes();
    size_t textBytes = 0;
    double slowestBatchMs = 0;
    const Clock::time_point start = Clock::now();
    Clock::time_point batchStart = start;
    for (int row = 0; row < rows; ++row) {
        const std::string line = LineFor(row);
        textBytes += line.size();
        window.AddLogLine(row % 2 == 0 ? LOG_SEND : LOG_RECV, line.c_str());
        if ((row + 1) % kBatchRows == 0) {
            QApplication::processEvents();
            const Clock::time_point now = Clock::now();
            slowestBatchMs = std::max(slowestBatchMs, Milliseconds(now - batchStart));
            batchStart = now;
        }
    }
    QApplication::processEvents();
    const double totalMs = Milliseconds(Clock::now() - start);
    const int kept = window.LogList().Model().rowCount();
    const double heapPerRow =
        static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(rows);
    const double residentPerRow =
        static_cast<double>(ResidentBytes() - residentBefore) / static_cast<double>(rows);
    std::printf(
        "%7d rows (%d kept, text %.1f bytes/row): %8.1f ms, %6.2f us/row, slowest batch of %d "
        "%.2f ms; heap %.1f bytes/row, RSS %.1f bytes/row\n",
        rows, kept, static_cast<double>(textBytes) / rows, totalMs, totalMs * 1000.0 / rows,
        kBatchRows, slowestBatchMs, heapPerRow, residentPerRow);
    if (report) {
        PrintResult("log_append_per_row", totalMs * 1000.0 / rows, "us");
        PrintResult("log_heap_per_row_direct", heapPerRow, "bytes");
    }
}

struct Options {
    std::vector<int> bursts = {100000, 200000};
    int holdMs = 0;
};

Options ParseOptions(const QStringList& args) {
    Options options;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--rows")) {
            options.bursts = {std::max(1, args[i + 1].toInt())};
        } else if (args[i] == QStringLiteral("--hold-ms")) {
            options.holdMs = std::max(0, args[i + 1].toInt());
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const DeviceTree tree;
    CVDMR30QuillboxDlg window(DetectUiLanguage(), tree.Roots());
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    while (!firstPaint.painted) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("command: QT_QPA_PLATFORM=%s %s\n", qgetenv("QT_QPA_PLATFORM").constData(),
                argv[0]);
    std::printf("start-up: process start to first paint of the main window %.1f ms\n",
                firstPaint.msSinceStart);
    PrintResult("first_paint_in_process", firstPaint.msSinceStart, "ms");
    const Options options = ParseOptions(QApplication::arguments());
    for (int rows : options.bursts) {
        AppendBurst(window, rows, rows == options.bursts.back());
    }
    if (options.holdMs > 0) {
        // exit(), not quit(): quit() would ask the window to close, and it would ask whether
        // to exit.
        QTimer::singleShot(options.holdMs, &application, [] { QApplication::exit(0); });
        QApplication::exec();
    }
    return 0;
}
