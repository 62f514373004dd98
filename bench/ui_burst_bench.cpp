// A burst of received lines through the whole path into the log of the real window: the
// simulated device sends N setting lines at once into its pseudo-terminal, and the channel,
// the receive worker, the queue drained by the user-interface thread, the handling of each line
// and AddLogLine (auto scroll on) take them into the log. Measures the time from the first
// byte sent to the last row logged and the heap the log holds per row, and checks that every
// line was logged once, whole and in order, then the resident memory of the whole process once
// the window has shown the burst (terminal_bench measures gtkterm's after the same burst).
// Offscreen unless QT_QPA_PLATFORM says otherwise.
//
//   ui_burst_bench [lines, default 200000]
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/paced_stream.h"
#include "bench/ui_bench_window.h"
#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeLimitMs = 60000;
constexpr int kSettleMs = 500;

// Rows that differ from the lines sent, in text, direction or count.
size_t WrongRows(const LogModel& log, const std::vector<std::string>& expected) {
    const size_t rows = static_cast<size_t>(log.rowCount());
    size_t wrong = rows > expected.size() ? rows - expected.size() : expected.size() - rows;
    for (size_t row = 0; row < std::min(rows, expected.size()); ++row) {
        const int index = static_cast<int>(row);
        if (log.Bytes(index) != expected[row] || log.Direction(index) != LOG_RECV) {
            ++wrong;
        }
    }
    return wrong;
}

int Run(int lineCount) {
    DeviceTree tree;
    BenchDevice device(tree);
    if (!tree.IsValid() || !device.Start()) {
        return 1;
    }
    BenchWindow bench(tree);
    if (!bench.ShowAndOpen(BenchDevice::LinkPath(tree))) {
        return 1;
    }
    std::vector<std::string> expected;
    std::string burst;
    for (int i = 0; i < lineCount; ++i) {
        expected.push_back(BurstLine(i));
        burst += expected.back() + "\r";
    }
    CLogListCtrl& logList = bench.Window().LogList();
    QEventLoop loop;
    Clock::time_point lastRow;
    QObject::connect(&logList.Model(), &QAbstractItemModel::rowsInserted, &loop, [&] {
        if (logList.Model().rowCount() >= lineCount) {
            lastRow = Clock::now();
            loop.quit();
        }
    });
    QTimer::singleShot(kTimeLimitMs, &loop, &QEventLoop::quit);

    const size_t heapBefore = HeapInUse();
    const Clock::time_point start = Clock::now();
    std::thread sender([&] { device.Host().Inject(burst); });
    loop.exec();
    sender.join();
    const bool complete = logList.Model().rowCount() >= lineCount;
    const double seconds =
        std::chrono::duration<double>((complete ? lastRow : Clock::now()) - start).count();
    const double heapPerRow =
        static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(lineCount);
    const size_t wrong = WrongRows(logList.Model(), expected);
    QTimer::singleShot(kSettleMs, &loop, &QEventLoop::quit);
    loop.exec();
    const double residentMib = static_cast<double>(ResidentBytes(getpid())) / 1048576.0;

    std::printf(
        "%d lines (%zu bytes) logged in %.3f s: %.0f lines/s; %zu rows wrong or missing, "
        "%lld messages; log heap %.1f bytes/row; resident %.1f MiB\n",
        lineCount, burst.size(), seconds, lineCount / seconds, wrong,
        static_cast<long long>(bench.Messages().size()), heapPerRow, residentMib);
    if (!complete || wrong != 0 || !bench.Messages().isEmpty()) {
        std::fprintf(stderr, "the burst was not logged completely and in order\n");
        return 1;
    }
    PrintResult("burst_200k_lines", seconds * 200000.0 / lineCount, "s");
    PrintResult("log_heap_per_row", heapPerRow, "bytes");
    PrintResult("burst_200k_rss", residentMib, "MiB");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int lineCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    std::printf("command: QT_QPA_PLATFORM=%s %s %d\n", qgetenv("QT_QPA_PLATFORM").constData(),
                argv[0], lineCount);
    return Run(lineCount);
}
