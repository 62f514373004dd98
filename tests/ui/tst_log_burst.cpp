// Lines that arrive in a burst: work left for the end of a hand-off pass, the newest row in
// view when the pass ends, and the operator's caret left alone while lines are logged.
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>
#include <atomic>
#include <thread>

#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"
#include "ui/ui_thread_handoff.h"
#include "ui_test_support.h"

namespace {

// Runs `job` through the hand-off from a worker thread, as the receive worker does, and
// processes events on this (the user-interface) thread until the hand-off has returned; its
// result. What the pass left for its end has run by then: this thread runs it before it
// gets back to its events.
bool RunFromWorker(UiThreadHandoff& handoff, const std::function<void()>& job) {
    std::atomic<bool> returned{false};
    bool ran = false;
    std::thread worker([&] {
        ran = handoff.RunOnUiThread(job);
        returned = true;
    });
    while (!returned.load()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    worker.join();
    return ran;
}

}  // namespace

class LogBurstTest : public QObject {
    Q_OBJECT

private slots:
    void actionsWaitForTheEndOfThePass();
    void newestRowInViewWhenThePassEnds();
    void caretStaysWhileLinesAreLogged();
};

void LogBurstTest::actionsWaitForTheEndOfThePass() {
    // Outside a pass an action runs at once.
    QObject context;
    int atOnce = 0;
    RunAfterHandoffPass(&context, [&] { ++atOnce; });
    QCOMPARE(atOnce, 1);

    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    int kept = 0;
    int dropped = 0;
    int runDuringJob = -1;
    auto* gone = new QObject;
    const bool ran = RunFromWorker(handoff, [&] {
        RunAfterHandoffPass(&context, [&] { ++kept; });
        RunAfterHandoffPass(gone, [&] { ++dropped; });
        delete gone;
        runDuringJob = kept;
    });
    QVERIFY(ran);
    QCOMPARE(runDuringJob, 0);
    QCOMPARE(kept, 1);
    QCOMPARE(dropped, 0);
}

void LogBurstTest::newestRowInViewWhenThePassEnds() {
    CLogListCtrl log;
    log.resize(378, 460);
    log.SetColumns(QStringLiteral("Log"));
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);

    constexpr int kRows = 500;
    int added = 0;
    QVERIFY(RunFromWorker(handoff, [&] {
        for (int i = 0; i < kRows; ++i) {
            const QByteArray line = "!SC " + QByteArray::number(i);
            added += log.AddLogLine(LOG_RECV, line.constData(), true);
        }
    }));
    QCOMPARE(added, kRows);
    QCOMPARE(log.Model().rowCount(), kRows);
    const QRect newest = log.visualRect(log.Model().index(kRows - 1, 0));
    QVERIFY(newest.isValid());
    QVERIFY(newest.top() >= 0 && newest.bottom() < log.viewport()->height());
    QVERIFY(log.verticalScrollBar()->value() > 0);
    QCOMPARE(log.verticalScrollBar()->value(), log.verticalScrollBar()->maximum());

    // Without auto scroll the view stays where the operator left it.
    log.verticalScrollBar()->setValue(log.verticalScrollBar()->maximum() / 2);
    const int left = log.verticalScrollBar()->value();
    QVERIFY(RunFromWorker(handoff, [&] { log.AddLogLine(LOG_RECV, "!700", false); }));
    QCOMPARE(log.verticalScrollBar()->value(), left);
}

void LogBurstTest::caretStaysWhileLinesAreLogged() {
    SimulatedPorts ports;
    QVERIFY(ports.IsValid());
    CVDMR30QuillboxDlg window(UiLanguage::English, ports.Roots());
    ModalRecorder boxes;
    window.runModal = boxes.Runner();
    auto* deviceId = window.findChild<QLineEdit*>(QStringLiteral("ctl1033"));
    QVERIFY(deviceId != nullptr);
    window.Texts().deviceIdText = "QBX01";
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::ToControls));
    QCOMPARE(deviceId->text(), QStringLiteral("QBX01"));

    // The operator has put the caret inside the ID and selected a character.
    deviceId->setSelection(1, 2);
    QCOMPARE(window.AddLogLine(LOG_RECV, "!PA 10.1.0.1"), 1);
    QCOMPARE(window.AddLogLine(LOG_RECV, "!700"), 1);
    QCOMPARE(deviceId->text(), QStringLiteral("QBX01"));
    QCOMPARE(deviceId->selectedText(), QStringLiteral("BX"));
    QCOMPARE(deviceId->cursorPosition(), 3);

    // A longer ID that a listing stored is shown whole, and a short one is limited again.
    window.Texts().deviceIdText = "QBX0123456";
    QCOMPARE(window.AddLogLine(LOG_RECV, "!SC QBX0123456"), 1);
    QCOMPARE(deviceId->text(), QStringLiteral("QBX0123456"));
    window.Texts().deviceIdText = "AB";
    QCOMPARE(window.AddLogLine(LOG_RECV, "!SC AB"), 1);
    QCOMPARE(deviceId->maxLength(), 8);
    QCOMPARE(boxes.Count(), 0);
}

QTEST_MAIN(LogBurstTest)
#include "tst_log_burst.moc"
