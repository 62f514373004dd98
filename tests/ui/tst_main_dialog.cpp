// The main window on its own: start values, the port list over simulated devices, the keys,
// the boxes of a window without ports in both languages, the ID length rule with Hangul and
// the typing rules of the address fields.
#include <QCheckBox>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QtTest>
#include <fstream>
#include <map>

#include "main_window_fixture.h"

namespace {

// Types `keys` into whichever widget has the focus at each key, as a keyboard does; '<', '>',
// '\b', '\t' and '^' stand for Left, Right, Backspace, Tab and Backtab.
void TypeIntoFocus(const QString& keys) {
    const Qt::Key named[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Backspace, Qt::Key_Tab,
                             Qt::Key_Backtab};
    for (const QChar key : keys) {
        const auto index = QStringLiteral("<>\b\t^").indexOf(key);
        index >= 0 ? QTest::keyClick(QApplication::focusWidget(), named[index])
                   : QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
}

// The address field as the operator reads it, its numbers and dots from left to right.
QString ShownAddress(const IpAddressEdit* edit) {
    std::map<int, QString> byPosition;
    for (const QLabel* dot : edit->findChildren<QLabel*>()) {
        byPosition[dot->x()] = dot->text();
    }
    for (int i = 0; i < 4; ++i) {
        byPosition[edit->Part(i)->x()] = edit->Part(i)->text();
    }
    QString shown;
    for (const auto& [x, text] : byPosition) {
        shown += text;
    }
    return shown;
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startStatePortsAndKeys();
    void boxesWithoutPorts_data();
    void boxesWithoutPorts();
    void deviceIdRule_data();
    void deviceIdRule();
    void addressTyping_data();
    void addressTyping();
};

void MainDialogTest::startStatePortsAndKeys() {
    MainWindowFixture f;
    std::map<int, PtyHost*> devices;
    for (int com : {3, 1, 12}) {
        QVERIFY(devices[com] = f.AddDevice(com));
    }
    f.Create();
    QCOMPARE(f.ShownSettings(),
             (QStringList{"10.1.0.1", "1470", "", "", "", "", "115200", "NONE", "8", "1", "NONE"}));
    QVERIFY(f.ShowsPortClosed());
    QVERIFY(f.Show());
    // Sorted, each entry's device as its tooltip, searched again at the next focus, keeping
    // the selected position. A USB product string is shown as it is, never as markup.
    auto* combo = f.Control<QComboBox>(1000);
    combo->setCurrentIndex(1);
    QVERIFY(devices[7] = f.AddDevice(7));
    const QString product = QStringLiteral("<b>Sim</b> &amp; co");
    const QString ttyName = QFileInfo(devices[7]->SlavePath().c_str()).fileName();
    const QString productFolder =
        QStringLiteral("%1/class/tty/%2/device").arg(f.ports.Roots().sysRoot.c_str(), ttyName);
    QVERIFY(QDir().mkpath(productFolder));
    std::ofstream(QFile::encodeName(productFolder + "/product").toStdString())
        << product.toStdString();
    f.Control(1004)->setFocus();
    combo->setFocus(Qt::MouseFocusReason);
    QStringList shown;
    QStringList expected;
    for (const auto& [com, device] : devices) {
        const QString tip = combo->itemData(int(shown.size()), Qt::ToolTipRole).toString();
        shown << combo->itemText(int(shown.size())) + ' ' +
                     (Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText()
                                               : tip);
        expected << QStringLiteral("COM%1 %2%3")
                        .arg(com)
                        .arg(device->SlavePath().c_str(), com == 7 ? " - " + product : QString());
    }
    QCOMPARE(shown, expected);
    QCOMPARE(combo->currentText(), QStringLiteral("COM3"));
    // Enter in the command edit sends nothing and closes nothing; Enter on a button presses it.
    QVERIFY(f.Open());
    f.Control(1007)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(f.LogCount(), 0);
    f.Control(1002)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(f.ShowsPortClosed());
    // A click on Auto scroll takes the typed values over.
    f.Control<QLineEdit>(1004)->setText(QStringLiteral("8080"));
    f.Control<QCheckBox>(1013)->click();
    QCOMPARE(f.window->Texts().autoScroll, 0);
    QCOMPARE(f.window->Texts().hostPortText, std::string("8080"));
    QCOMPARE(f.boxes.Count(), 0);
    QVERIFY(f.window->isVisible());
}

void MainDialogTest::boxesWithoutPorts_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QString>("question");
    QTest::newRow("english") << UiLanguage::English << "Are you sure to exit the program?";
    QTest::newRow("korean") << UiLanguage::Korean << "프로그램을 종료하시겠습니까?";
}

// With no port found, Open reports the failure. Escape, the close box and Exit ask first, in
// the interface language, with Qt's standard Yes and No (so Qt's own translation names them);
// No leaves the window open. F1 and the system commands 0x0010 to 0x001F open the About box.
void MainDialogTest::boxesWithoutPorts() {
    QFETCH(UiLanguage, language);
    QFETCH(QString, question);
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(language);
    QVERIFY(f.Show());
    QVERIFY(!f.Control(1000)->isEnabled());
    QVERIFY(!f.Open());
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    f.boxes.SetAnswer(QMessageBox::No);
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    f.Click(1011);
    QCOMPARE(f.boxes.Last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(f.boxes.Last().defaultButton, QMessageBox::Yes);
    QTest::keyClick(&window, Qt::Key_F1);
    for (int command : {0x0010, 0x001F, 0x0020, 0xF060}) {
        window.OnSysCommand(command);
    }
    QStringList shown;
    for (const ModalRecorder::Shown& box : f.boxes.All()) {
        shown << box.className + ':' + box.text;
    }
    const QString asked = "QMessageBox:" + question;
    QCOMPARE(shown, (QStringList{"QMessageBox:Cannot open COM0!", asked, asked, asked,
                                 "CAboutDlg:", "CAboutDlg:", "CAboutDlg:"}));
    QVERIFY(window.isVisible());
}

void MainDialogTest::deviceIdRule_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("latin") << UiLanguage::English << "ABCDEFGHIJ"
                           << "ABCDEFGH" << QByteArray("ABCDEFGH");
    QTest::newRow("hangul, korean") << UiLanguage::Korean << "가나다라마바사아자"
                                    << "가나다라마바사아"
                                    << QByteArray(
                                           "\xB0\xA1\xB3\xAA\xB4\xD9\xB6\xF3\xB8\xB6"
                                           "\xB9\xD9\xBB\xE7\xBE\xC6");
    QTest::newRow("hangul, english")
        << UiLanguage::English << "서울서울서울서울서"
        << "서울서울서울서울" << QStringLiteral("서울서울서울서울").toUtf8();
}

// Eight characters as the operator sees them, whatever their bytes; a longer ID that a
// listing stored is shown whole and refused with a message when taken over.
void MainDialogTest::deviceIdRule() {
    QFETCH(UiLanguage, language);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QByteArray, bytes);
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(language);
    QVERIFY(f.Show());
    auto* id = f.Control<QLineEdit>(1033);
    MainWindowFixture::Type(id, typed);
    QCOMPARE(id->text(), kept);
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(QByteArray::fromStdString(window.Texts().deviceIdText), bytes);

    window.Texts().deviceIdText = bytes.toStdString() + "X";
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::ToControls));
    QCOMPARE(id->text(), kept + "X");
    QVERIFY(!window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(f.boxes.Texts(), QStringList{"8자 이내로 입력하십시오."});
    QCOMPARE(QApplication::focusWidget(), id);
    QCOMPARE(id->selectedText(), id->text());  // ready to be typed over
}

void MainDialogTest::addressTyping_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<uint>("address");
    QTest::addColumn<int>("focus");  // the part that has the focus; 4: the host port after it
    // Three digits move on by themselves; the dot after them lands in an empty part and is
    // ignored, so a whole address can be typed as it is written.
    QTest::newRow("full") << "192.168.0.10" << QStringList{"192", "168", "0", "10"} << 0xC0A8000Au
                          << 3;
    QTest::newRow("digits only") << "19216801" << QStringList{"192", "168", "01", ""} << 0xC0A80100u
                                 << 2;
    // Each number moved to by a third digit or a dot is selected: typing replaces it.
    QTest::newRow("typing over a filled field")
        << "1.2.3.4<<<<<<\b1235.6" << QStringList{"123", "5", "6", "4"} << 0x7B050604u << 2;
    QTest::newRow("blanks, dot in an empty part")
        << "10 1..2 3" << QStringList{"10", "1", "2", "3"} << 0x0A010203u << 3;
    QTest::newRow("letters refused")
        << "1a2.b3" << QStringList{"12", "3", "", ""} << 0x0C030000u << 1;
    QTest::newRow("above the maximum")
        << "999.300.1" << QStringList{"255", "255", "1", ""} << 0xFFFF0100u << 2;
    QTest::newRow("leading zeros")
        << "010.001.000.009" << QStringList{"010", "001", "000", "009"} << 0x0A010009u << 3;
    // Emptying a part and pressing Backspace again goes on at the end of the part before it.
    QTest::newRow("backspace across parts")
        << "10.1.0.1\b\b\b" << QStringList{"10", "1", "", ""} << 0x0A010000u << 2;
    QTest::newRow("backspace into a part left mid-number goes on at its end")
        << "1.23<.\b4" << QStringList{"1", "234", "", ""} << 0x01EA0000u << 2;
    QTest::newRow("arrows at the edges")
        << "10.1.0.1<<>7" << QStringList{"10", "1", "0", "7"} << 0x0A010007u << 3;
    // The field's own edges: nothing lies beyond them.
    QTest::newRow("dot and right arrow after the last part")
        << "1.2.3.4.>5" << QStringList{"1", "2", "3", "45"} << 0x0102032Du << 3;
    QTest::newRow("left arrow and backspace before the first part")
        << "1<<\b2" << QStringList{"21", "", "", ""} << 0x15000000u << 0;
    QTest::newRow("tab leaves the field")
        << "1\t" << QStringList{"1", "", "", ""} << 0x01000000u << 4;
    QTest::newRow("backtab enters at the first part")
        << "\t^" << QStringList{"", "", "", ""} << 0u << 0;
}

void MainDialogTest::addressTyping() {
    QFETCH(QString, keys);
    QFETCH(QStringList, parts);
    QFETCH(uint, address);
    QFETCH(int, focus);
    MainWindowFixture f;
    f.Create();
    QVERIFY(f.Show());
    auto* edit = f.Control<IpAddressEdit>(1003);
    edit->ClearAddress();
    edit->setFocus();
    TypeIntoFocus(keys);
    QCOMPARE(ShownAddress(edit), parts.join('.'));
    QCOMPARE(edit->GetAddress(), address);
    QCOMPARE(QApplication::focusWidget(), focus < 4 ? edit->Part(focus) : f.Control(1004));
}

QTEST_MAIN(MainDialogTest)
#include "tst_main_dialog.moc"
