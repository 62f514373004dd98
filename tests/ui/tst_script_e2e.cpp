// The script operations end to end: the real window, its channel and receive worker, and a
// simulated VDM-R30 on a pseudo-terminal. View, Write then View, Delete then View, Echo, Send,
// and the host checks that refuse a write before anything is sent.
#include <QtTest>

#include "main_window_fixture.h"
#include "sim/setting_line.h"

namespace {

constexpr int kTimeoutMs = 30000;

const std::vector<std::string> kStoredScript = {
    "!PA 192.168.0.10", "!PP 5000", "!SA 10.1.0.2", "!SO C 3050", "!TC 5", "!SC QBX01",
    "!TB 9600",         "!TP 2",    "!TD 7",        "!TS 2",      "!FC 1"};
// kStoredScript as the window shows it (the interval travels in hundredths of a second).
const QStringList kStoredShown = {"192.168.0.10", "5000", "10.1.0.2", "30", "5",      "QBX01",
                                  "9600",         "ODD",  "7",        "2",  "RTS/CTS"};

QStringList Rows(std::initializer_list<const char*> rows) {
    QStringList list;
    for (const char* row : rows) {
        list << QString::fromUtf8(row);
    }
    return list;
}

QStringList Received(const std::vector<std::string>& lines) {
    QStringList rows;
    for (const std::string& line : lines) {
        rows << QStringLiteral("[RECV]\t") + QString::fromStdString(line);
    }
    return rows;
}

}  // namespace

class ScriptEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void viewFillsEveryField_data();
    void viewFillsEveryField();
    void writeThenViewShowsWrittenValues();
    void deleteThenViewShowsEmptyDevice();
    void echoTwiceThenSend();
    void writeRefusedBeforeAnythingIsSent_data();
    void writeRefusedBeforeAnythingIsSent();
};

void ScriptEndToEndTest::viewFillsEveryField_data() {
    QTest::addColumn<bool>("roughLine");
    QTest::newRow("clean line") << false;
    // Lower-case codes, answers in two pieces, LF after CR and LF noise inside the lines.
    QTest::newRow("rough line") << true;
}

void ScriptEndToEndTest::viewFillsEveryField() {
    QFETCH(bool, roughLine);
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(3, kStoredScript);
    QVERIFY(device);
    device->WithModel([&](DeviceModel& model) {
        DeviceFaults& faults = model.Faults();
        faults.lowerCaseCodes = faults.splitAnswers = faults.lfAfterCr = faults.noise = roughLine;
    });
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());

    f.Click(1009);
    std::vector<std::string> listed;
    for (const std::string& line : kStoredScript) {
        listed.push_back(roughLine ? LowerCaseCode(line) : line);
    }
    const QStringList expected =
        QStringList{"[SEND]\t!VS"} + Received(listed) + QStringList{"[RECV]\t!700"};
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), expected, kTimeoutMs);
    QCOMPARE(f.ShownSettings(), kStoredShown);
    QCOMPARE(f.boxes.Count(), 0);
    QCOMPARE(CommandsReceived(*device), std::vector<std::string>{"!VS"});
}

void ScriptEndToEndTest::writeThenViewShowsWrittenValues() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(4, {"!PA 10.9.9.9", "!TB 600", "!SC OLD"});
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    const QStringList written = {"172.16.5.9", "8080", "192.168.0.2", "30", "5",      "AB12",
                                 "57600",      "EVEN", "7",           "2",  "RTS/CTS"};
    f.EnterSettings(written);
    QCOMPARE(f.ShownSettings(), written);

    f.Click(1010);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 1, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("All scripts have been written."));
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Information);
    const std::vector<std::string> storedLines = {
        "!PA 172.16.5.9", "!PP 8080", "!SA 192.168.0.2", "!SO C 3000", "!TC 5", "!SC AB12",
        "!TB 57600",      "!TP 1",    "!TD 7",           "!TS 2",      "!FC 1"};
    // The listing, one erase pass per stored line, the unlock line, then every setting.
    std::vector<std::string> commands = {"!VS"};
    QStringList log;
    for (int pass = 0; pass < 3; ++pass) {
        commands.insert(commands.end(), {"!UE 3D9F1B62", "!ES"});
    }
    // The write clears the log before the last erase line's confirmation is logged.
    commands.push_back("!UE 3D9F1B62");
    log << "[RECV]\t!700"
        << "[SEND]\t!UE 3D9F1B62"
        << "[RECV]\t!700";
    for (const std::string& line : storedLines) {
        commands.push_back("!WS " + line);
        log << QStringLiteral("[SEND]\t!WS ") + QString::fromStdString(line) << "[RECV]\t!700";
    }
    QCOMPARE(CommandsReceived(*device), commands);
    QCOMPARE(StoredLines(*device), storedLines);
    QCOMPARE(f.LogRows(), log);

    // Other values in the window; a listing brings the written ones back.
    f.EnterSettings({"1.1.1.1", "1", "", "", "", "", "600", "NONE", "8", "1", "NONE"});
    f.Click(1009);
    const QStringList listing =
        QStringList{"[SEND]\t!VS"} + Received(storedLines) + QStringList{"[RECV]\t!700"};
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), listing, kTimeoutMs);
    QCOMPARE(f.ShownSettings(), written);
    QCOMPARE(f.boxes.Count(), 1);
}

void ScriptEndToEndTest::deleteThenViewShowsEmptyDevice() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(5, {"!PA 192.168.0.10", "!PP 5000", "!TB 9600"});
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());

    f.Click(1015);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 1, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("All scripts have been deleted."));
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Information);
    // The confirmation of the last erase line, then the fresh listing: "!700" alone.
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), Rows({"[RECV]\t!700", "[SEND]\t!VS", "[RECV]\t!700"}),
                              kTimeoutMs);
    std::vector<std::string> commands = {"!VS"};
    for (int pass = 0; pass < 3; ++pass) {
        commands.insert(commands.end(), {"!UE 3D9F1B62", "!ES"});
    }
    commands.push_back("!VS");
    QCOMPARE(CommandsReceived(*device), commands);
    QVERIFY(StoredLines(*device).empty());
    // The first listing filled the fields; the empty one left them.
    QCOMPARE(f.ShownSettings().mid(0, 2), (QStringList{"192.168.0.10", "5000"}));

    // Deleting an empty device says so and sends the listing only.
    f.Click(1015);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 2, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("There is no script on the ovLNK."));
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Critical);
    commands.push_back("!VS");
    QCOMPARE(CommandsReceived(*device), commands);
    QCOMPARE(f.LogRows(), Rows({"[SEND]\t!VS", "[RECV]\t!700"}));
}

void ScriptEndToEndTest::echoTwiceThenSend() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(6, {"!PA 192.168.0.10", "!TB 9600"});
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    auto* echo = f.Control<QPushButton>(1017);
    const auto echoOn = [device] {
        bool on = false;
        device->WithModel([&](DeviceModel& model) { on = model.EchoOn(); });
        return on;
    };

    f.Click(1017);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), Rows({"[SEND]\t!E0", "[RECV]\t!700"}), kTimeoutMs);
    QCOMPARE(echo->text(), QStringLiteral("Echo On"));
    QVERIFY(!echoOn());
    f.Click(1017);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), Rows({"[SEND]\t!E1", "[RECV]\t!700"}), kTimeoutMs);
    QCOMPARE(echo->text(), QStringLiteral("Echo Off"));
    QVERIFY(echoOn());

    // A typed listing command is sent as typed; with echo on the device repeats it first.
    // No operation runs, so the listing is only logged: the fields keep their values.
    QTest::keyClicks(f.Control<QLineEdit>(1007), QStringLiteral("!VS"));
    const QStringList before = f.ShownSettings();
    const QStringList answer = Rows({"[SEND]\t!VS", "[RECV]\t!VS", "[RECV]\t!PA 192.168.0.10",
                                     "[RECV]\t!TB 9600", "[RECV]\t!700"});
    f.Click(1008);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), Rows({"[SEND]\t!E1", "[RECV]\t!700"}) + answer,
                              kTimeoutMs);
    f.Click(1008);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogRows(), Rows({"[SEND]\t!E1", "[RECV]\t!700"}) + answer + answer,
                              kTimeoutMs);
    QCOMPARE(f.ShownSettings(), before);
    QCOMPARE(f.Control<QLineEdit>(1007)->text(), QStringLiteral("!VS"));
    QCOMPARE(CommandsReceived(*device), (std::vector<std::string>{"!E0", "!E1", "!VS", "!VS"}));
    QCOMPARE(f.boxes.Count(), 0);
}

void ScriptEndToEndTest::writeRefusedBeforeAnythingIsSent_data() {
    QTest::addColumn<QString>("hostAddress");
    QTest::addColumn<QString>("hostPort");
    QTest::addColumn<QString>("message");
    QTest::newRow("blank host address") << QString() << "1470"
                                        << "Please enter Host Address.";
    QTest::newRow("empty host port") << "10.1.0.1" << QString() << "Please enter Host Port.";
}

void ScriptEndToEndTest::writeRefusedBeforeAnythingIsSent() {
    QFETCH(QString, hostAddress);
    QFETCH(QString, hostPort);
    QFETCH(QString, message);
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(7, {"!PA 192.168.0.10", "!PP 5000"});
    QVERIFY(device);
    f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());
    QStringList settings = f.ShownSettings();
    settings[0] = hostAddress;
    settings[1] = hostPort;
    f.EnterSettings(settings);

    f.Click(1010);
    QCOMPARE(f.boxes.Texts(), QStringList{message});
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Critical);
    QVERIFY(f.NoStepPending());

    // A listing now is a plain View: had the refused write begun, its follow-up would erase
    // the device (clearing the log) as soon as this listing ended, and fill no fields.
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(
        f.LogRows(),
        Rows({"[SEND]\t!VS", "[RECV]\t!PA 192.168.0.10", "[RECV]\t!PP 5000", "[RECV]\t!700"}),
        kTimeoutMs);
    QVERIFY(f.NoStepPending());
    QCOMPARE(CommandsReceived(*device), std::vector<std::string>{"!VS"});
    QCOMPARE(StoredLines(*device), (std::vector<std::string>{"!PA 192.168.0.10", "!PP 5000"}));
    QCOMPARE(f.ShownSettings().mid(0, 2), (QStringList{"192.168.0.10", "5000"}));
    QCOMPARE(f.boxes.Count(), 1);
}

QTEST_MAIN(ScriptEndToEndTest)
#include "tst_script_e2e.moc"
