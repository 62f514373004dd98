// The window end to end against a simulated VDM-R30 on a pseudo-terminal: View fills the
// fields and Write stores them back byte for byte; script files fill and save the fields.
#include "main_window_fixture.h"

namespace {

const std::string kSeoulCp949 = "\xBC\xAD\xBF\xEF";  // "서울" in code page 949

const std::vector<std::string> kStoredScript = {
    "!PA 192.168.0.10", "!PP 5000", "!SA 10.1.0.2", "!SO C 3000", "!TC 5", "!SC " + kSeoulCp949,
    "!TB 9600",         "!TP 2",    "!TD 7",        "!TS 2",      "!FC 1"};
const QStringList kStoredShown = {"192.168.0.10", "5000", "10.1.0.2", "30", "5",      "서울",
                                  "9600",         "ODD",  "7",        "2",  "RTS/CTS"};

}  // namespace

class ScriptEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void viewThenWriteKeepsTheDeviceBytes_data();
    void viewThenWriteKeepsTheDeviceBytes();
    void noBackupNoErase();
    void openScriptThenWrite();
    void saveScriptThenOpenIt();
};

void ScriptEndToEndTest::viewThenWriteKeepsTheDeviceBytes_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<bool>("roughLine");
    // Lower-case codes, answers in two pieces, LF after CR and noise: a listing still fills.
    QTest::newRow("english, rough line") << UiLanguage::English << true;
    QTest::newRow("korean, then write") << UiLanguage::Korean << false;
}

// What the operator typed over a field gives way to what the device lists, and Write then sends
// the listed values. Every reply of the write is handled as it arrives: the drains are paced
// only while no operation waits for a reply.
void ScriptEndToEndTest::viewThenWriteKeepsTheDeviceBytes() {
    QFETCH(UiLanguage, language);
    QFETCH(bool, roughLine);
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(3, kStoredScript, language);
    QVERIFY(device);
    device->WithModel([&](DeviceModel& model) {
        DeviceFaults& faults = model.Faults();
        faults.lowerCaseCodes = faults.splitAnswers = faults.lfAfterCr = faults.noise = roughLine;
    });
    // A command typed while lines arrive stays as typed.
    auto* command = f.Control<QLineEdit>(1007);
    MainWindowFixture::Type(command, QStringLiteral("!E1"));
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogCount(), int(kStoredScript.size()) + 2, kTimeoutMs);
    QCOMPARE(f.ShownSettings(), kStoredShown);
    f.EnterSettings({"1.2.3.4", "2000", "", "60", "9", "ZZ", "1200", "EVEN", "8", "1", "NONE"});
    f.Click(1009);
    QTRY_COMPARE_WITH_TIMEOUT(f.ShownSettings(), kStoredShown, kTimeoutMs);
    QCOMPARE(command->text(), QStringLiteral("!E1"));
    if (roughLine) {
        return;
    }
    bool pacedWhileWriting = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        pacedWhileWriting |= f.boxes.Count() == 0 && f.Timer("drainTimer")->isActive();
    });
    sampler.start(1);
    // Nothing edited: every value goes back as the device listed it, the ID's bytes included.
    f.Click(1010);
    // Checked up to the ID's line: the simulated device stores printable ASCII only.
    std::vector<std::string> commands = {"!VS", "!VS", "!VS"};
    for (size_t pass = 0; pass < kStoredScript.size(); ++pass) {
        commands.insert(commands.end(), {"!UE 3D9F1B62", "!ES"});
    }
    commands.push_back("!UE 3D9F1B62");
    for (size_t step = 0; step < 6; ++step) {
        commands.push_back("!WS " + kStoredScript[step]);
    }
    QTRY_VERIFY_WITH_TIMEOUT(CommandsReceived(*device).size() >= commands.size(), kTimeoutMs);
    const std::vector<std::string> received = CommandsReceived(*device);
    QCOMPARE(std::vector<std::string>(received.begin(), received.begin() + commands.size()),
             commands);
    QVERIFY(!pacedWhileWriting);
}

// Where no backup can be kept, Delete Script erases nothing and says why.
void ScriptEndToEndTest::noBackupNoErase() {
    MainWindowFixture f;
    const std::vector<std::string> stored = {"!PA 10.1.0.7", "!PP 1470"};
    f.WriteFile(QStringLiteral("data"), "a file where the folder belongs");
    PtyHost* device = f.OpenOn(6, stored);
    QVERIFY(device);
    f.Click(1015);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 1, kTimeoutMs);
    QVERIFY(f.boxes.Last().text.startsWith("The script could not be backed up"));
    QVERIFY(f.NoStepPending());
    QCOMPARE(CommandsReceived(*device), std::vector<std::string>{"!VS"});
    QCOMPARE(StoredLines(*device), stored);
}

// Blank lines and comments aside, the file's lines are what the device stores after Write.
void ScriptEndToEndTest::openScriptThenWrite() {
    MainWindowFixture f;
    PtyHost* device = f.OpenOn(4, kStoredScript);
    QVERIFY(device);
    // Opened while a slow View still lists: the rest of the listing replaces none of the file's
    // values.
    device->WithModel([](DeviceModel& model) { model.Faults().splitAnswers = true; });
    f.Click(1009);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogCount() >= 3, kTimeoutMs);
    const std::vector<std::string> settings = {
        "!PA 172.16.5.9", "!PP 8080", "!SA 192.168.0.2", "!SO C 3000", "!TC 5", "!SC AB12",
        "!TB 57600",      "!TP 1",    "!TD 7",           "!TS 2",      "!FC 1"};
    QByteArray bytes = "# unit 7\n\n";
    for (const std::string& line : settings) {
        bytes += QByteArray::fromStdString(line + '\n');
    }
    f.boxes.SetFileAnswer(f.WriteFile(QStringLiteral("unit7.txt"), bytes));
    QTest::keyClick(f.window.get(), Qt::Key_O, Qt::ControlModifier);
    const QStringList shown = {"172.16.5.9", "8080", "192.168.0.2", "30", "5",      "AB12",
                               "57600",      "EVEN", "7",           "2",  "RTS/CTS"};
    QCOMPARE(f.ShownSettings(), shown);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogCount(), int(kStoredScript.size()) + 2, kTimeoutMs);
    QCOMPARE(f.ShownSettings(), shown);
    f.Click(1010);
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Texts().last(), "All scripts have been written.", kTimeoutMs);
    QCOMPARE(StoredLines(*device), settings);
}

// Saved under a Korean interface, the typed ID goes to the file in code page 949; opening the
// file brings every field back. A faulty file, a device or an unreadable file changes nothing and
// is reported once, with every faulty line or the reason.
void ScriptEndToEndTest::saveScriptThenOpenIt() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(UiLanguage::Korean);
    QVERIFY(f.Show());
    const QStringList entered = {"10.20.30.40", "1470", "",  "60", "",    "서울",
                                 "1200",        "EVEN", "8", "1",  "NONE"};
    f.EnterSettings(entered);
    const QString saved = f.FilePath(QStringLiteral("saved.txt"));
    f.boxes.SetFileAnswer(saved);
    // Save Script As from the settings area's context menu.
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        if (group->contextMenuPolicy() == Qt::ActionsContextMenu) {
            group->actions().at(1)->trigger();
        }
    }
    QVERIFY(TempTree::Read(saved.toStdString()).find("!SC " + kSeoulCp949 + '\n') !=
            std::string::npos);

    f.EnterSettings({"1.1.1.1", "1", "2.2.2.2", "3", "4", "AB", "600", "ODD", "7", "2", "RTS/CTS"});
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.ShownSettings(), entered);

    f.boxes.SetFileAnswer(f.WriteFile(QStringLiteral("faulty.txt"),
                                      "!PA 10.1.0.1\n" + QByteArray("!XX 5\n").repeated(24)));
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.boxes.Count(), 4);
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Critical);
    QCOMPARE(f.boxes.Last().detail.count(QStringLiteral("번째 줄")), 20);  // and the rest cut:
    QVERIFY(f.boxes.Last().detail.endsWith(QStringLiteral("\n...")));
    QVERIFY(f.boxes.Last().detail.startsWith(QStringLiteral("2번째 줄")));
    QCOMPARE(f.ShownSettings(), entered);

    // A regular file that fails to read is refused too, not taken for an empty script. FIFOs
    // and terminals are refused by the same reader in the command line's test.
    const QStringList refused[] = {{"/dev/null", QStringLiteral("일반 파일이 아닙니다.")},
                                   {"/proc/self/mem", QString::fromLocal8Bit(strerror(EIO))}};
    for (const QStringList& file : refused) {
        f.boxes.SetFileAnswer(file[0]);
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.boxes.Last().text,
                 "스크립트 파일 " + QDir::cleanPath(file[0]) + "을(를) 읽을 수 없습니다.");
        QCOMPARE(f.boxes.Last().detail, file[1]);
    }
    QCOMPARE(f.boxes.Count(), 8);
    QCOMPARE(f.ShownSettings(), entered);
}

QTEST_MAIN(ScriptEndToEndTest)
#include "tst_script_e2e.moc"
