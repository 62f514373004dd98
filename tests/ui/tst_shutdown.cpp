// Leaving the program while a Write Script runs and lines flood in: No changes nothing; Yes
// ends the operation at once (no step left to fire), releases the port, and destroying the
// window joins the worker without waiting on what is still queued.
#include <QtTest>

#include "main_window_fixture.h"

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void exitDuringWriteUnderFlood();
};

void ShutdownTest::exitDuringWriteUnderFlood() {
    constexpr int kTimeoutMs = 30000;
    const QString question = QStringLiteral("Are you sure to exit the program?");
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(2, {"!PA 192.168.0.10"});
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show() && f.Open());
    f.Click(1010);
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= 3, kTimeoutMs);
    LineFlood flood(*device, "!UE flood ");
    QTRY_VERIFY_WITH_TIMEOUT(f.LogRows().join('\n').contains("!UE flood"), kTimeoutMs);

    f.boxes.SetAnswer(QMessageBox::No);
    f.Click(1011);
    QVERIFY(window.isVisible() && f.ShowsPortOpen());

    f.boxes.SetAnswer(QMessageBox::Yes);
    f.Click(1011);
    QCOMPARE(f.boxes.Texts(), (QStringList{question, question}));
    QVERIFY(!window.isVisible() && f.ShowsPortClosed());
    QVERIFY(!LineLockedByOther(*device));
    QVERIFY(f.NoStepPending());
    f.window.reset();  // joins the worker; hangs here if anything waits for the window
    flood.Stop();
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
