// Leaving the program: the Exit button, Escape and the close event all ask first; No changes
// nothing, and Yes in the middle of a Write Script with lines flooding in stops every step at
// once, releases the port and lets the window be destroyed without waiting on the worker.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include "main_window_fixture.h"

namespace {

constexpr int kTimeoutMs = 30000;
// Destroying the window joins the receive worker; longer than this means it hangs.
constexpr int kDestroyLimitMs = 10000;
const QString kQuestion = QStringLiteral("Are you sure to exit the program?");

enum class Trigger { ExitButton, Escape, CloseEvent };

void AskToExit(MainWindowFixture& f, Trigger trigger) {
    switch (trigger) {
        case Trigger::ExitButton:
            f.Click(1011);
            break;
        case Trigger::Escape:
            QTest::keyClick(f.window.get(), Qt::Key_Escape);
            break;
        case Trigger::CloseEvent:
            f.window->close();
            break;
    }
}

// Counts the lines the window logs as sent, which is every line it writes to the device.
class SentCounter {
public:
    explicit SentCounter(const CLogListCtrl& log) {
        const QAbstractItemModel& model = log.Model();
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &guard,
                         [this, &model](const QModelIndex&, int first, int last) {
                             for (int row = first; row <= last; ++row) {
                                 sent += model.index(row, 0).data().toString() == "[SEND]";
                             }
                         });
    }
    int sent = 0;

private:
    QObject guard;  // disconnects when the counter goes
};

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void answeredNoLeavesRunningWriteAlone();
    void answeredYesDuringWriteStopsAtOnce();
};

void ShutdownTest::answeredNoLeavesRunningWriteAlone() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(2, {"!PA 192.168.0.10", "!PP 5000"});
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    QSignalSpy finished(&window, &QDialog::finished);
    f.boxes.SetAnswer(QMessageBox::No);

    f.Click(1010);
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= 3, kTimeoutMs);
    for (Trigger trigger : {Trigger::ExitButton, Trigger::Escape, Trigger::CloseEvent}) {
        AskToExit(f, trigger);
    }
    QCOMPARE(f.boxes.Texts(), (QStringList{kQuestion, kQuestion, kQuestion}));
    QVERIFY(window.isVisible());
    QVERIFY(f.ShowsPortOpen());
    QCOMPARE(finished.count(), 0);

    // The write goes on to its end: two erase passes, the unlock line and seven settings.
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 4, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("All scripts have been written."));
    QCOMPARE(CommandsReceived(*device).size(), size_t(1 + 2 * 2 + 1 + 7));
    QCOMPARE(StoredLines(*device),
             (std::vector<std::string>{"!PA 10.1.0.1", "!PP 1470", "!TB 115200", "!TP 0", "!TD 8",
                                       "!TS 1", "!FC 0"}));
    QVERIFY(window.isVisible());
}

void ShutdownTest::answeredYesDuringWriteStopsAtOnce() {
    constexpr int kRuns = 30;
    for (int run = 0; run < kRuns; ++run) {
        const QByteArray where = "run " + QByteArray::number(run);
        MainWindowFixture f;
        PtyHost* device = f.AddDevice(2, {"!PA 192.168.0.10"});
        QVERIFY2(device, where);
        CVDMR30QuillboxDlg& window = f.Create();
        QVERIFY2(f.Show(), where);
        QVERIFY2(f.Open(), where);
        QSignalSpy finished(&window, &QDialog::finished);
        SentCounter counter(window.LogList());
        int sentAtAnswer = -1;
        const ModalRunner answer = f.boxes.Runner();
        window.runModal = [&](QDialog& dialog) {
            const int button = answer(dialog);
            if (f.boxes.Last().text == kQuestion) {
                sentAtAnswer = counter.sent;
            }
            return button;
        };
        f.boxes.SetAnswer(QMessageBox::Yes);

        // Exit at a different step each run, while lines the write accepts flood in.
        f.Click(1010);
        // The first six commands reach every phase: listing, erase pass, unlock, settings.
        const size_t step = 1 + size_t(run / 3) % 6;
        QTRY_VERIFY2_WITH_TIMEOUT(CommandsReceived(*device).size() >= step, where, kTimeoutMs);
        LineFlood flood(*device, "!UE flood ");
        QTRY_VERIFY2_WITH_TIMEOUT(f.LogRows().join('\n').contains("!UE flood"), where, kTimeoutMs);
        AskToExit(f, Trigger(run % 3));

        QVERIFY2(sentAtAnswer > 0, where);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        QVERIFY2(!window.isVisible(), where);
        QVERIFY2(f.ShowsPortClosed(), where);
        QCOMPARE(QString::fromStdString(window.SerialPort().DevicePath()), QString());
        QVERIFY2(!LineLockedByOther(*device), where);

        // Events still run until the window goes: no step may be left to fire.
        QTRY_VERIFY2_WITH_TIMEOUT(f.NoStepPending(), where, kTimeoutMs);
        QCOMPARE(counter.sent, sentAtAnswer);

        QElapsedTimer destroying;
        destroying.start();
        f.window.reset();
        QVERIFY2(destroying.elapsed() < kDestroyLimitMs, where);
        QCOMPARE(counter.sent, sentAtAnswer);
        QCOMPARE(f.boxes.Texts().count(kQuestion), 1);

        // Everything the program wrote is ahead of a marker written after it; closing the
        // port may have discarded the one line still unread, nothing may have come later.
        flood.Stop();
        QVERIFY2(WriteOnProgramSide(*device, "!MARK\r"), where);
        QTRY_VERIFY2_WITH_TIMEOUT(CommandsReceived(*device).back() == "!MARK", where, kTimeoutMs);
        const int received = int(CommandsReceived(*device).size()) - 1;
        QVERIFY2(received <= sentAtAnswer && received >= sentAtAnswer - 1,
                 where + ": " + QByteArray::number(received) + " received, " +
                     QByteArray::number(sentAtAnswer) + " sent");
    }
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
