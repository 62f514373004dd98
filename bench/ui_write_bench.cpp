// Write Script through the real window (offscreen unless QT_QPA_PLATFORM says otherwise)
// against the simulated device, which holds a stored script that is erased first: the wall
// time from the press to "All scripts have been written.", against the sum of the step
// timers' waits (the listing's 100 ms, 2 x 200 ms for each erase pass, 200 ms for each of the
// twelve write lines). What is left over, divided by the steps, is the program's own overhead
// per step. Every field is set, so all twelve lines are written; the device must end up
// holding exactly them.
//
//   ui_write_bench [stored lines to erase first, 0 to 11, default 11]
#include <arpa/inet.h>

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/ui_bench_window.h"
#include "sim/demo_script.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kListingWaitMs = 100;
constexpr int kStepWaitMs = 200;
constexpr int kWriteLines = 12;
constexpr int kTimeLimitMs = 60000;
const QString kAllWritten = QStringLiteral("All scripts have been written.");

// The lines the device must hold afterwards, in the order they are written.
const std::vector<std::string> kWritten = {"!PA 192.168.10.20",
                                           "!PP 5000",
                                           "!SA 192.168.10.21",
                                           "!SO C 3000",
                                           "!TC 7",
                                           "!SC QBX01",
                                           "!TB 57600",
                                           "!TP 2",
                                           "!TD 7",
                                           "!TS 2",
                                           "!FC 1"};

void SetAllFields(CVDMR30QuillboxDlg& window) {
    window.SetAddress(AddressField::Host, ntohl(inet_addr("192.168.10.20")));
    window.SetAddress(AddressField::SecondHost, ntohl(inet_addr("192.168.10.21")));
    const struct {
        int id;
        const char* text;
    } edits[] = {{1004, "5000"}, {1031, "30"}, {1036, "7"}, {1033, "QBX01"}};
    for (const auto& edit : edits) {
        window.findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(edit.id))->setText(edit.text);
    }
    window.SetSelection(SettingCombo::BaudRate, 7);  // 57600
    window.SetSelection(SettingCombo::Parity, 2);    // ODD
    window.SetSelection(SettingCombo::DataBits, 0);  // 7
    window.SetSelection(SettingCombo::StopBits, 1);  // 2
    window.SetSelection(SettingCombo::FlowControl, 1);
}

int Run(int storedLines) {
    std::vector<std::string> stored = DemoScript();
    stored.resize(static_cast<size_t>(storedLines));
    DeviceTree tree;
    BenchDevice device(tree, stored);
    if (!tree.IsValid() || !device.Start()) {
        return 1;
    }
    BenchWindow bench(tree);
    if (!bench.ShowAndOpen(BenchDevice::LinkPath(tree))) {
        return 1;
    }
    SetAllFields(bench.Window());
    QEventLoop loop;
    Clock::time_point finished;
    bench.onMessage = [&](const QString&) {
        finished = Clock::now();
        loop.quit();
    };
    QTimer::singleShot(kTimeLimitMs, &loop, &QEventLoop::quit);
    auto* write = bench.Window().findChild<QPushButton*>(QStringLiteral("ctl1010"));
    const Clock::time_point pressed = Clock::now();
    write->click();
    loop.exec();

    std::vector<std::string> held;
    device.Host().WithModel([&](DeviceModel& model) { held = model.StoredLines(); });
    if (bench.Messages() != QStringList{kAllWritten} || held != kWritten) {
        std::fprintf(stderr, "the write did not complete: %s\n",
                     qPrintable(bench.Messages().join(QStringLiteral("; "))));
        return 1;
    }
    const double wallMs = std::chrono::duration<double, std::milli>(finished - pressed).count();
    const int waitsMs = kListingWaitMs + storedLines * 2 * kStepWaitMs + kWriteLines * kStepWaitMs;
    const int steps = 1 + storedLines * 2 + kWriteLines;
    const double overheadMs = (wallMs - waitsMs) / steps;
    std::printf(
        "%d stored lines erased, %d lines written: %.1f ms from the press to \"%s\", "
        "timer waits %d ms, %d steps: %.2f ms overhead per step\n",
        storedLines, kWriteLines, wallMs, qPrintable(kAllWritten), waitsMs, steps, overheadMs);
    PrintResult("write_step_overhead", overheadMs, "ms");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int storedLines = argc > 1 ? std::clamp(std::atoi(argv[1]), 0, 11) : 11;
    std::printf("command: QT_QPA_PLATFORM=%s %s %d\n", qgetenv("QT_QPA_PLATFORM").constData(),
                argv[0], storedLines);
    return Run(storedLines);
}
