// Leaving the program while a Write Script runs and lines flood in: No changes nothing; Yes
// ends the operation at once, releases the port, and destroying the window joins the worker
// without waiting on what is still queued.
#include <QtTest>

#include "main_window_fixture.h"

namespace {

constexpr int kTimeoutMs = 30000;
const QString kQuestion = QStringLiteral("Are you sure to exit the program?");

// Counts the rows logged as sent, which is every line the window writes to the device.
void CountSent(const CLogListCtrl& log, QObject& guard, int& sent) {
    const QAbstractItemModel& model = log.Model();
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &guard,
                     [&model, &sent](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row) {
                             sent += model.index(row, 0).data().toString() == "[SEND]";
                         }
                     });
}

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void exitDuringWriteUnderFlood();
};

void ShutdownTest::exitDuringWriteUnderFlood() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(2, {"!PA 192.168.0.10"});
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    QObject guard;
    int sent = 0;
    CountSent(window.LogList(), guard, sent);
    f.Click(1010);
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= 3, kTimeoutMs);
    LineFlood flood(*device, "!UE flood ");
    QTRY_VERIFY_WITH_TIMEOUT(f.LogRows().join('\n').contains("!UE flood"), kTimeoutMs);

    f.boxes.SetAnswer(QMessageBox::No);
    f.Click(1011);
    QVERIFY(window.isVisible() && f.ShowsPortOpen());

    f.boxes.SetAnswer(QMessageBox::Yes);
    f.Click(1011);
    const int sentAtExit = sent;
    QCOMPARE(f.boxes.Texts(), (QStringList{kQuestion, kQuestion}));
    QVERIFY(!window.isVisible() && f.ShowsPortClosed());
    QVERIFY(!LineLockedByOther(*device));
    QVERIFY(f.NoStepPending());
    f.window.reset();  // joins the worker; hangs here if anything waits for the window
    QCOMPARE(sent, sentAtExit);

    // Everything the program wrote is ahead of a marker written after it; closing the port
    // may have discarded the one line still unread, nothing may have come later.
    flood.Stop();
    QVERIFY(WriteOnProgramSide(*device, "!MARK\r"));
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).back() == "!MARK", kTimeoutMs);
    const int received = int(CommandsReceived(*device).size()) - 1;
    QVERIFY(received <= sentAtExit && received >= sentAtExit - 1);
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
