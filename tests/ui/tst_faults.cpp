// Faults injected through the real window and channel: a device unplugged mid-operation,
// garbage and over-long lines, a device that stops answering or answers wrongly, open/close
// cycles under a flood, a port held by another program, and a 10 MB burst.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCheckBox>
#include <QRandomGenerator>
#include <QtTest>
#include <thread>

#include "main_window_fixture.h"

namespace {

constexpr int kTimeoutMs = 30000;
constexpr int kBurstTimeoutMs = 240000;
constexpr int kLineLimit = 127;  // bytes of a received line that the log keeps

const std::vector<std::string> kStored = {"!PA 192.168.0.10", "!PP 5000", "!TB 9600"};

// Descriptors of terminals this process holds open: the simulated devices' own, and the
// port while the window has it open. (Qt opens and closes others on threads of its own.)
int OpenTerminals() {
    int count = 0;
    const QDir folder(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& entry : folder.entryInfoList(QDir::AllEntries | QDir::System)) {
        count += entry.symLinkTarget().startsWith(QStringLiteral("/dev/pt"));
    }
    return count;
}

// The log rows that `bytes` must give, by the line rules: CR ends a line, LF is dropped, a
// line keeps its first 127 bytes and ends at a NUL, and an empty line adds no row.
QStringList ExpectedRows(const QByteArray& bytes) {
    QStringList rows;
    QByteArray line;
    for (char byte : bytes) {
        if (byte == '\r') {
            const QByteArray text =
                line.left(line.indexOf('\0') < 0 ? line.size() : line.indexOf('\0'));
            if (!text.isEmpty()) {
                rows << QStringLiteral("[RECV]\t") + QString::fromUtf8(text);
            }
            line.clear();
        } else if (byte != '\n' && line.size() < kLineLimit) {
            line.append(byte);
        }
    }
    return rows;
}

QStringList ListingRows(const std::vector<std::string>& lines) {
    QStringList rows = {QStringLiteral("[SEND]\t!VS")};
    for (const std::string& line : lines) {
        rows << QStringLiteral("[RECV]\t") + QString::fromStdString(line);
    }
    return rows << QStringLiteral("[RECV]\t!700");
}

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void unpluggedDuringOperation_data();
    void unpluggedDuringOperation();
    void noiseAndOverlongLinesAreLoggedByTheRules();
    void deviceStopsAnsweringMidWrite_data();
    void deviceStopsAnsweringMidWrite();
    void openCloseCyclesUnderFlood();
    void portHeldByAnotherProgram();
    void tenMegabyteBurstLoggedOnceInOrder();
};

void FaultsTest::unpluggedDuringOperation_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("commandsFirst");
    QTest::newRow("View") << 1009 << 0;
    QTest::newRow("Write") << 1010 << 3;
    QTest::newRow("Delete") << 1015 << 3;
}

void FaultsTest::unpluggedDuringOperation() {
    QFETCH(int, button);
    QFETCH(int, commandsFirst);
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(3, kStored);
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());

    // Unplugged while the operation's next step waits on its timer.
    f.Click(button);
    QTRY_VERIFY_WITH_TIMEOUT(
        CommandsReceived(*device).size() >= size_t(commandsFirst) && !f.NoStepPending(),
        kTimeoutMs);
    device->Unplug();
    QTRY_VERIFY_WITH_TIMEOUT(f.ShowsPortClosed(), kTimeoutMs);
    QCOMPARE(f.window->SerialPort().portOpen.load(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(f.NoStepPending(), kTimeoutMs);
    // The lost line is reported once; the step that was due sends nothing and says nothing.
    QCOMPARE(f.boxes.Count(), 1);
    QVERIFY(f.boxes.Last().text.startsWith("Fail to read file:"));

    // Plugged in again: the port opens and a listing fills the fields from the device.
    PtyHost* replugged = f.AddDevice(3, {"!PA 172.16.0.1", "!PP 6000"});
    QVERIFY(replugged);
    QVERIFY(f.Open());
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), ListingRows({"!PA 172.16.0.1", "!PP 6000"}), kTimeoutMs);
    QCOMPARE(f.ShownSettings().mid(0, 2), (QStringList{"172.16.0.1", "6000"}));
    QCOMPARE(f.boxes.Count(), 1);
}

void FaultsTest::noiseAndOverlongLinesAreLoggedByTheRules() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(4);
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    const QStringList settingsBefore = f.ShownSettings();

    // Random bytes, rich in NUL, CR, LF and 0xFF; then lines of 1,000 bytes between short ones.
    QRandomGenerator random(20240531);
    QByteArray bytes;
    const char controlBytes[] = {'\0', '\r', '\n', '\xFF'};
    for (int i = 0; i < 20000; ++i) {
        const quint32 value = random.generate();
        bytes.append(value % 4 == 0 ? controlBytes[(value >> 8) % 4] : char(value >> 16));
    }
    bytes.append('\r');
    for (int i = 0; i < 40; ++i) {
        QByteArray longLine = "!LG " + QByteArray::number(i) + ' ';
        while (longLine.size() < 1000) {
            longLine.append(char('a' + longLine.size() % 26));
        }
        bytes.append(longLine + "\r!SC short" + QByteArray::number(i) + "\r\n");
    }
    const QStringList expected = ExpectedRows(bytes);
    QVERIFY(expected.size() > 1000);

    // From another thread: the line fills up until the window reads.
    std::thread sender([&] { device->Inject(bytes.toStdString()); });
    QTRY_COMPARE_WITH_TIMEOUT(f.LogCount(), int(expected.size()), kTimeoutMs);
    sender.join();
    QCOMPARE(f.LogRows(), expected);
    QCOMPARE(f.LogRows().last(), QStringLiteral("[RECV]\t!SC short39"));
    QCOMPARE(f.LogRows().at(expected.size() - 2).size(), 7 + kLineLimit);
    // No operation runs: the lines are only logged, whatever they look like.
    QCOMPARE(f.ShownSettings(), settingsBefore);
    QCOMPARE(f.boxes.Count(), 0);
    QVERIFY(f.ShowsPortOpen());
}

void FaultsTest::deviceStopsAnsweringMidWrite_data() {
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("silent") << true << QStringList();
    QTest::newRow("wrong answer") << false
                                  << QStringList{"An error occured during RS232 communication."};
}

void FaultsTest::deviceStopsAnsweringMidWrite() {
    QFETCH(bool, silent);
    QFETCH(QStringList, messages);
    // The listing, two erase passes, the unlock line, then the host address line (#6).
    constexpr size_t kAnswered = 7;
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(5, {"!PA 192.168.0.10", "!PP 5000"});
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    if (!silent) {
        device->WithModel([](DeviceModel& model) { model.Faults().wrongAnswerAt = kAnswered; });
    }

    f.Click(1010);
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= kAnswered, kTimeoutMs);
    if (silent) {
        device->WithModel([](DeviceModel& model) { model.Faults().silent = true; });
    }
    // The next line goes out and is never confirmed: the write waits, with no step pending.
    QTRY_COMPARE_WITH_TIMEOUT(CommandsReceived(*device).size(), kAnswered + 1, kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(f.NoStepPending(), kTimeoutMs);
    // A refusal is answered after the command arrived: wait for its message to be shown.
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Texts(), messages, kTimeoutMs);
    QCOMPARE(CommandsReceived(*device).back(), std::string("!WS !PP 1470"));

    // Another operation starts at once and fills the fields from the device.
    device->WithModel([](DeviceModel& model) { model.Faults() = DeviceFaults(); });
    f.EnterSettings({"1.2.3.4"});
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), ListingRows({"!PA 10.1.0.1"}), kTimeoutMs);
    QCOMPARE(f.ShownSettings().first(), QStringLiteral("10.1.0.1"));
    QCOMPARE(CommandsReceived(*device).size(), kAnswered + 2);

    // And the program can be left.
    f.boxes.SetAnswer(QMessageBox::Yes);
    f.Click(1011);
    QVERIFY(!f.window->isVisible());
    QVERIFY(f.ShowsPortClosed());
    QCOMPARE(f.boxes.Texts(), messages + QStringList{"Are you sure to exit the program?"});
}

void FaultsTest::openCloseCyclesUnderFlood() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(6, kStored);
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    LineFlood flood(*device, "!TB 9600 flood ");
    const int terminals = OpenTerminals();

    for (int cycle = 0; cycle < 1000; ++cycle) {
        f.Click(1001);
        QVERIFY2(f.ShowsPortOpen(), qPrintable(QString::number(cycle)));
        QCoreApplication::processEvents();
        f.Click(1002);
        QVERIFY2(f.ShowsPortClosed(), qPrintable(QString::number(cycle)));
        QCoreApplication::processEvents();
    }
    QCOMPARE(f.boxes.Texts().join(" | "), QString());
    QCOMPARE(OpenTerminals(), terminals);
    QVERIFY(flood.Sent() > 0);
    QVERIFY(f.LogCount() > 0);
    flood.Stop();

    // The channel and the worker still work: a listing fills the fields. A CR first ends any
    // piece of a flood line that the worker still holds.
    QVERIFY(f.Open());
    device->Inject("\r!MARK\r");
    QTRY_VERIFY_WITH_TIMEOUT(f.LogRows().last() == "[RECV]\t!MARK", kTimeoutMs);
    f.Click(1009);
    // A flood line still on its way may be logged after the log was cleared; the listing
    // must follow it complete and in order.
    const QStringList listing = ListingRows(kStored);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogRows().mid(f.LogRows().size() - listing.size()) == listing,
                             kTimeoutMs);
    QVERIFY(f.LogRows().size() <= listing.size() + 1);
    QCOMPARE(f.ShownSettings().mid(0, 2), (QStringList{"192.168.0.10", "5000"}));
    QCOMPARE(f.boxes.Count(), 0);
}

void FaultsTest::portHeldByAnotherProgram() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(7, kStored);
    QVERIFY(device);
    f.Create();

    // Another program holds the line's lock.
    const int holder = open(device->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    QCOMPARE(flock(holder, LOCK_EX | LOCK_NB), 0);
    f.Click(1001);
    close(holder);
    QCOMPARE(f.boxes.Texts(), QStringList{"Cannot open COM7!"});
    QVERIFY(!f.boxes.Last().detail.isEmpty());
    QVERIFY(f.ShowsPortClosed());
    QCOMPARE(f.window->SerialPort().portOpen.load(), 0);

    // Released, the port opens; then a second window is refused it in turn.
    QVERIFY(f.Open());
    MainWindowFixture second;
    second.window = std::make_unique<CVDMR30QuillboxDlg>(UiLanguage::English, f.ports.Roots());
    second.window->runModal = second.boxes.Runner();
    second.Click(1001);
    QCOMPARE(second.boxes.Texts(), QStringList{"Cannot open COM7!"});
    QVERIFY(second.ShowsPortClosed());
    QVERIFY(f.ShowsPortOpen());
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), ListingRows(kStored), kTimeoutMs);
    QCOMPARE(second.LogCount(), 0);
    QCOMPARE(f.boxes.Count(), 1);
    QCOMPARE(second.boxes.Count(), 1);
}

void FaultsTest::tenMegabyteBurstLoggedOnceInOrder() {
    constexpr int kLineBytes = 100;  // with its CR
    constexpr int kLines = 10 * 1024 * 1024 / kLineBytes;
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(8);
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    QVERIFY(f.Control<QCheckBox>(1013)->isChecked());

    const auto line = [](int n) {
        QByteArray text = "!BR " + QByteArray::number(n).rightJustified(7, '0') + ' ';
        return text.leftJustified(kLineBytes - 1, char('A' + n % 26));
    };
    std::thread sender([&] {
        std::string chunk;
        for (int n = 0; n < kLines; ++n) {
            chunk += line(n).toStdString() + '\r';
            if (chunk.size() >= 64 * 1024 || n == kLines - 1) {
                device->Inject(chunk);
                chunk.clear();
            }
        }
    });
    QTRY_COMPARE_WITH_TIMEOUT(f.LogCount(), kLines, kBurstTimeoutMs);
    sender.join();

    const QAbstractItemModel& model = f.window->LogList().Model();
    for (int n = 0; n < kLines; ++n) {
        if (model.index(n, 1).data().toString() != QString::fromLatin1(line(n)) ||
            model.index(n, 0).data().toString() != QStringLiteral("[RECV]")) {
            QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(n).arg(f.LogRows().at(n))));
        }
    }
    // Auto scroll brings the newest row into view.
    CLogListCtrl& log = f.window->LogList();
    const auto newestInView = [&] {
        const QRect newest = log.visualRect(model.index(kLines - 1, 0));
        return newest.top() >= 0 && newest.bottom() < log.viewport()->height();
    };
    QTRY_VERIFY(newestInView());
    QCOMPARE(f.boxes.Count(), 0);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
