// The receive path through the real window and channel against simulated devices: lines
// handled once and in order, held while a box they opened is open (the port read all the
// while), handled before a button acts; a lost port; a Close that ends a waiting operation;
// leaving the program while lines flood in.
#include <atomic>
#include <future>
#include <thread>

#include "main_window_fixture.h"

namespace {

// Appends `count` lines "<prefix><n>" to the bytes that send them and, as the log shows them
// received, to `rows`.
void Numbered(const std::string& prefix, int count, QStringList& rows, std::string& bytes) {
    for (int n = 0; n < count; ++n) {
        const std::string line = prefix + std::to_string(rows.size());
        rows << QStringLiteral("[RECV]\t") + QString::fromStdString(line);
        bytes += line + '\r';
    }
}

// Waits, with the window's events running, until the device has received `count` commands.
bool CommandsReach(PtyHost& device, size_t count) {
    return QTest::qWaitFor([&] { return CommandsReceived(device).size() >= count; }, kTimeoutMs);
}

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

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void linesInOrderAndHeldBehindBox();
    void receivedLineGoesBeforeButton();
    void lostPortShowsItsLastLines();
    void closeEndsEraseLeftWaiting();
    void exitDuringWriteUnderFlood();
};

// Bursts drained apart, also after the drains have stopped, are logged once each, in order. Then
// more than a pseudo-terminal holds arrives while a box is open: the device can send it all only if
// the port is read meanwhile; the window handles it after the box, in order.
void FaultsTest::linesInOrderAndHeldBehindBox() {
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(4);
    QVERIFY(device);
    QStringList early;
    for (int burst = 0; burst < 3; ++burst) {
        std::string bytes;
        Numbered("n", 500, early, bytes);
        device->Inject(bytes);
        QTest::qWait(burst == 0 ? 30 : 600);  // within a paced drain, then past its end
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), early, kTimeoutMs);

    QStringList late;
    std::string bytes;
    Numbered("!PP late ", 8000, late, bytes);  // over 100 KB
    bool allSentWhileOpen = false;
    int rowsAtBox = -1;
    int rowsAtClose = -1;
    const ModalRunner answer = f.boxes.Runner();
    f.window->runModal = [&](QDialog& box) {
        rowsAtBox = f.LogCount();
        std::future<void> sending = std::async(std::launch::async, [&] { device->Inject(bytes); });
        allSentWhileOpen = QTest::qWaitFor(
            [&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            kTimeoutMs);
        QTest::qWait(100);  // the window's events run as under a real box
        rowsAtClose = f.LogCount();
        if (!allSentWhileOpen) {
            device->Unplug();
        }
        return answer(box);
    };
    f.Click(1015);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 1, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("There is no script on the ovLNK."));
    QVERIFY(allSentWhileOpen);
    QCOMPARE(rowsAtClose, rowsAtBox);
    // The box came with the listing's end, which is logged after it, then the rest.
    QTRY_COMPARE_WITH_TIMEOUT(f.LogCount(), rowsAtBox + 1 + int(late.size()), kTimeoutMs);
    QCOMPARE(f.LogRows().mid(rowsAtBox), QStringList("[RECV]\t!700") + late);
}

// The line arrives while the window is busy; the button pressed next acts after it.
void FaultsTest::receivedLineGoesBeforeButton() {
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(5);
    QVERIFY(device);
    f.Control<QLineEdit>(1007)->setText(QStringLiteral("!E0"));
    f.Click(1002);
    QVERIFY(f.Open());  // takes the command over
    device->Inject("!PP 4321\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    f.Click(1008);
    QCOMPARE(f.LogRows(), (QStringList{"[RECV]\t!PP 4321", "[SEND]\t!E0"}));
}

void FaultsTest::lostPortShowsItsLastLines() {
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(6, {"!PA 192.168.0.10", "!PP 5000"});
    QVERIFY(device);
    f.Click(1010);
    QVERIFY(CommandsReach(*device, 2));
    // Both reach the queue before the window handles either.
    device->Inject("!UE last\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    device->Unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    QTRY_VERIFY_WITH_TIMEOUT(f.ShowsPortClosed(), kTimeoutMs);
    QVERIFY(f.LogRows().endsWith(QStringLiteral("[RECV]\t!UE last")));
    QCOMPARE(f.boxes.Count(), 1);
    QVERIFY(f.boxes.Last().text.startsWith("Fail to read file:"));
    QTRY_VERIFY_WITH_TIMEOUT(f.NoStepPending(), kTimeoutMs);

    PtyHost* replugged = f.AddDevice(6, {"!PA 172.16.0.1"});
    QVERIFY(replugged && f.Open());
    f.Click(1009);  // the write lost with the port sends none of its steps
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows().size(), 3, kTimeoutMs);
    QCOMPARE(CommandsReceived(*replugged), (std::vector<std::string>{"!VS"}));
}

// Delete Script on a device that never confirms its "!ES"; Close, Open and Echo Off: the
// echo's "!700" must not be taken for the erase's, which would erase on.
void FaultsTest::closeEndsEraseLeftWaiting() {
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(7);
    QVERIFY(device);
    device->WithModel([](DeviceModel& model) { model.Faults().silent = true; });
    f.Click(1015);
    QVERIFY(CommandsReach(*device, 1));
    device->Inject("!PA 10.0.0.1\r!PP 9\r!700\r");
    QVERIFY(CommandsReach(*device, 2));
    device->Inject("!700\r");
    QVERIFY(CommandsReach(*device, 3));
    f.Click(1002);
    QVERIFY(f.ShowsPortClosed() && f.Open());
    f.Click(1017);
    QVERIFY(CommandsReach(*device, 4));
    device->Inject("!700\r");
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), (QStringList{"[SEND]\t!E0", "[RECV]\t!700"}),
                              kTimeoutMs);
    QVERIFY(f.NoStepPending());  // the echo's "!700" started no erase step
    QCOMPARE(CommandsReceived(*device),
             (std::vector<std::string>{"!VS", "!UE 3D9F1B62", "!ES", "!E0"}));
}

// Leaving the program while a Write Script runs and lines flood in: No changes nothing; Yes
// ends the operation at once (no step left to fire), releases the port, and destroying the
// window joins the worker without waiting on what is still queued.
void FaultsTest::exitDuringWriteUnderFlood() {
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

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
