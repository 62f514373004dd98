// Leaving the program while a Write Script runs and lines flood in: No changes nothing; Yes
// ends the operation at once (no step left to fire), releases the port, and destroying the
// window joins the worker without waiting on what is still queued.
#include <atomic>
#include <thread>

#include "main_window_fixture.h"

namespace {

// Sends numbered lines "!UE flood <n>" from the device until it ends. Unplugging the device
// releases a send blocked on a line the program no longer reads.
struct Flood {
    explicit Flood(PtyHost& device) : device(device) {}
    ~Flood() {
        stopping = true;
        device.Unplug();
        thread.join();
    }

    PtyHost& device;
    std::atomic<bool> stopping{false};
    std::thread thread{[this] {
        for (int n = 0; !stopping; ++n) {
            device.Inject("!UE flood " + std::to_string(n) + '\r');
        }
    }};
};

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void exitDuringWriteUnderFlood();
};

void ShutdownTest::exitDuringWriteUnderFlood() {
    const QString question = QStringLiteral("Are you sure to exit the program?");
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(2, {"!PA 192.168.0.10"});
    QVERIFY(device);
    f.Click(1010);
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= 3, kTimeoutMs);
    Flood flood(*device);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogRows().join('\n').contains("!UE flood"), kTimeoutMs);

    f.boxes.SetAnswer(QMessageBox::No);
    f.Click(1011);
    QVERIFY(f.window->isVisible() && f.ShowsPortOpen());

    f.boxes.SetAnswer(QMessageBox::Yes);
    f.Click(1011);
    QCOMPARE(f.boxes.Texts(), (QStringList{question, question}));
    QVERIFY(!f.window->isVisible() && f.ShowsPortClosed());
    QVERIFY(!LineLockedByOther(*device));
    QVERIFY(f.NoStepPending());
    f.window.reset();  // joins the worker; hangs here if anything waits for the window
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
