// The main window on its own: start values, captions in both languages, keyboard behaviour,
// the ID length rule, the exit question and the About box.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/about_dlg.h"
#include "ui/dialog_units.h"
#include "ui/ip_address_edit.h"
#include "ui/log_list_ctrl.h"

namespace {

QString Caption(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    return QStringLiteral("<no caption>");
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startState();
    void captions_data();
    void captions();
    void tabOrderFollowsTemplate();
    void enterOnlyPressesTheFocusedButton();
    void escapeCloseBoxAndExitAskFirst();
    void deviceIdLimit();
    void autoScrollClickTakesOver();
    void aboutBox();
};

void MainDialogTest::startState() {
    MainWindowFixture f;
    QVERIFY(f.AddDevice(3));
    CVDMR30QuillboxDlg& window = f.Create();

    QCOMPARE(f.ShownSettings(),
             (QStringList{"10.1.0.1", "1470", "", "", "", "", "115200", "NONE", "8", "1", "NONE"}));
    QCOMPARE(f.Control<QLineEdit>(1007)->text(), QString());
    QCOMPARE(
        ComboItems(f.Control<QComboBox>(1012)),
        (QStringList{"600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    QCOMPARE(ComboItems(f.Control<QComboBox>(1024)), (QStringList{"NONE", "EVEN", "ODD"}));
    QCOMPARE(ComboItems(f.Control<QComboBox>(1026)), (QStringList{"7", "8"}));
    QCOMPARE(ComboItems(f.Control<QComboBox>(1028)), (QStringList{"1", "2"}));
    QCOMPARE(ComboItems(f.Control<QComboBox>(1018)), (QStringList{"NONE", "RTS/CTS"}));
    // Discovery replaced the template's COM1..COM10 by the one simulated port.
    QCOMPARE(ComboItems(f.Control<QComboBox>(1000)), QStringList{"COM3"});
    QCOMPARE(f.Control<QComboBox>(1000)->currentIndex(), 0);
    QVERIFY(f.Control<QCheckBox>(1013)->isChecked());
    QCOMPARE(window.LogList().Model().rowCount(), 0);
    QCOMPARE(window.Texts().hostPortText, std::string("1470"));
    QCOMPARE(window.Texts().autoScroll, 1);
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QCOMPARE(window.size(), DialogUnits(DialogFont()).Size(531, 398));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!window.windowIcon().pixmap(32, 32).isNull());
    QCOMPARE(f.boxes.Count(), 0);
    for (int id : {1000, 1001, 1003, 1004, 1005, 1031, 1033, 1036, 1012, 1024, 1026, 1028, 1018,
                   1013, 1014, 1007, 1011, 1006}) {
        QVERIFY2(f.Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    for (int id : {1002, 1008, 1009, 1010, 1015, 1017}) {
        QVERIFY2(!f.Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }
}

void MainDialogTest::captions_data() {
    QTest::addColumn<bool>("korean");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    const struct {
        int id;
        const char* english;
        const char* korean;
    } table[] = {
        {1016, "COM Port", "COM 포트"},
        {1001, "Open", "열기"},
        {1002, "Close", "닫기"},
        {1019, "Host Address", "통신할 주소"},
        {1020, "Host Port", "통신할 포트"},
        {1021, "Baudrate", "시리얼 통신속도"},
        {1022, "Flow Control", "흐름 제어"},
        {1030, "2nd Host Address", "두 번째 통신할 주소"},
        {1032, "Check TCP connection interval (second)", "TCP접속 확인 주기(초)"},
        {1037, "Timeout (second)", "서버변경 대기시간(초)"},
        {1034, "ID(Max. 8byte)", "ID(최대 8바이트)"},
        {1027, "Data Bits", "데이터 비트"},
        {1029, "Stop Bit", "정지 비트"},
        {1025, "Parity", "패리티"},
        {1013, "Auto scroll", "자동 스크롤"},
        {1014, "Delete Log", "로그 삭제"},
        {1023, "Command", "명령"},
        {1008, "Send", "명령 전송"},
        {1017, "Echo Off", "Echo 끄기"},
        {1009, "View Script", "스크립트 보기"},
        {1010, "Write Script", "스크립트 저장"},
        {1015, "Delete Script", "스크립트 삭제"},
        {1011, "Exit", "종료"},
        {0, "Log", "로그"},  // the log's second column header
    };
    for (const auto& row : table) {
        QTest::addRow("en %d", row.id) << false << row.id << QString::fromUtf8(row.english);
        QTest::addRow("ko %d", row.id) << true << row.id << QString::fromUtf8(row.korean);
    }
}

void MainDialogTest::captions() {
    QFETCH(bool, korean);
    QFETCH(int, id);
    QFETCH(QString, caption);
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(korean ? UiLanguage::Korean : UiLanguage::English);
    QCOMPARE(window.QWidget::windowTitle(), QStringLiteral("VDM-R30 Quillbox v2.1A (2013.05.31)"));
    if (id == 0) {
        const QAbstractItemModel& model = window.LogList().Model();
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), caption);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("    "));
    } else {
        QCOMPARE(Caption(f.Control(id)), caption);
    }
}

void MainDialogTest::tabOrderFollowsTemplate() {
    MainWindowFixture f;
    QVERIFY(f.AddDevice(2));
    f.Create();
    QVERIFY(f.Show());
    // The window gives the first tab stop, the port list, the focus.
    QTRY_COMPARE(QApplication::focusWidget(), f.Control(1000));
    const QStringList expected = {"ctl1001", "ctl1003", "ctl1004", "ctl1005", "ctl1031", "ctl1033",
                                  "ctl1012", "ctl1024", "ctl1026", "ctl1028", "ctl1018", "ctl1013",
                                  "ctl1014", "ctl1007", "ctl1011", "ctl1036", "ctl1000"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // The address fields take the focus in their first part.
        if (qobject_cast<IpAddressEdit*>(focus->parentWidget()) != nullptr) {
            focus = focus->parentWidget();
        }
        visited << focus->objectName();
    }
    QCOMPARE(visited, expected);
}

void MainDialogTest::enterOnlyPressesTheFocusedButton() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(4);
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    QVERIFY(f.Open());

    for (int id : {1007, 1004, 1033}) {
        auto* edit = f.Control<QLineEdit>(id);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("!VS"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QVERIFY(window.isVisible());
    }
    QCOMPARE(f.boxes.Count(), 0);
    QCOMPARE(window.LogList().Model().rowCount(), 0);
    device->WithModel([](DeviceModel& model) { QVERIFY(model.CommandLog().empty()); });
    for (auto* button : window.findChildren<QPushButton*>()) {
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
    }
    // On a button, Enter presses it.
    QVERIFY(window.AddLogLine(LOG_RECV, "!700"));
    f.Control(1014)->setFocus();
    QTest::keyClick(f.Control(1014), Qt::Key_Return);
    QCOMPARE(window.LogList().Model().rowCount(), 0);
    QVERIFY(window.isVisible());
}

// Every way out asks first, as a Yes/No warning under the window's title.
void MainDialogTest::escapeCloseBoxAndExitAskFirst() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(UiLanguage::Korean);
    QVERIFY(f.Show());
    f.boxes.SetAnswer(QMessageBox::No);

    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    f.Click(1011);
    QCOMPARE(f.boxes.Count(), 3);
    for (const ModalRecorder::Shown& box : f.boxes.All()) {
        QCOMPARE(box.text, QStringLiteral("프로그램을 종료하시겠습니까?"));
        QCOMPARE(box.caption, QStringLiteral("VDM-R30 Quillbox v2.1A (2013.05.31)"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
    }
    QVERIFY(window.isVisible());
}

void MainDialogTest::deviceIdLimit() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    auto* id = f.Control<QLineEdit>(1033);
    id->setFocus();
    QTest::keyClicks(id, QStringLiteral("ABCDEFGHIJ"));
    QCOMPARE(id->text(), QStringLiteral("ABCDEFGH"));
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(window.Texts().deviceIdText, std::string("ABCDEFGH"));
    QCOMPARE(f.boxes.Count(), 0);

    // A listing may store a longer ID: it is shown whole, and taking it over is refused.
    window.Texts().deviceIdText = "QBX012345";
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::ToControls));
    QCOMPARE(id->text(), QStringLiteral("QBX012345"));
    f.Control<QLineEdit>(1004)->setText(QStringLiteral("5000"));
    f.Control<QLineEdit>(1031)->setText(QStringLiteral("30"));
    f.Control<QPushButton>(1011)->setFocus();
    QVERIFY(!window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(f.boxes.Count(), 1);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("8자 이내로 입력하십시오."));
    QCOMPARE(f.boxes.Last().caption, QCoreApplication::applicationName());
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Warning);
    QCOMPARE(QApplication::focusWidget(), id);
    QCOMPARE(id->selectedText(), QStringLiteral("QBX012345"));
    // Fields before the ID took their values; the ones after it were not read.
    QCOMPARE(window.Texts().hostPortText, std::string("5000"));
    QCOMPARE(window.Texts().intervalText, std::string());

    // Typing into the long ID is refused too; deleting brings it within the limit.
    id->end(false);
    QTest::keyClick(id, Qt::Key_X);
    QCOMPARE(id->text(), QStringLiteral("QBX012345"));
    QTest::keyClick(id, Qt::Key_Backspace);
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(window.Texts().deviceIdText, std::string("QBX01234"));
    QCOMPARE(window.Texts().intervalText, std::string("30"));
}

void MainDialogTest::autoScrollClickTakesOver() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    auto* check = f.Control<QCheckBox>(1013);
    f.Control<QLineEdit>(1004)->setText(QStringLiteral("8080"));
    // On the box itself, at the left end of the control.
    const QPoint box(check->height() / 2, check->height() / 2);
    QTest::mouseClick(check, Qt::LeftButton, {}, box);
    QVERIFY(!check->isChecked());
    QCOMPARE(window.Texts().autoScroll, 0);
    QCOMPARE(window.Texts().hostPortText, std::string("8080"));

    QTest::mouseClick(check, Qt::LeftButton, {}, box);
    QCOMPARE(window.Texts().autoScroll, 1);
}

void MainDialogTest::aboutBox() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(f.boxes.Count(), 1);
    QCOMPARE(f.boxes.Last().className, QStringLiteral("CAboutDlg"));
    for (int command : {0x0010, 0x0013, 0x001F}) {
        window.OnSysCommand(command);
    }
    QCOMPARE(f.boxes.Count(), 4);
    for (int command : {0x0020, 0xF060, 0x0000}) {
        window.OnSysCommand(command);
    }
    QCOMPARE(f.boxes.Count(), 4);
    QVERIFY(window.isVisible());

    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("VDM-R30 Quillbox"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
    }
    QVERIFY(texts.contains(QStringLiteral("VDM-R30 Quillbox v1.1a")));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("ctl1"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("확인"));
    QVERIFY(ok->isDefault());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::keyClick(&about, Qt::Key_Return);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(MainDialogTest)
#include "tst_main_dialog.moc"
