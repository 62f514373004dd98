// The main window on its own: start values, the port list over simulated devices, the keys,
// in both languages the boxes of a window without ports and the ID rule, address typing, and
// the application's icon.
#include <map>

#include "main_window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/app_icon.h"

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startStatePortsAndKeys();
    void languages_data();
    void languages();
    void addressTyping_data();
    void addressTyping();
    void icon();
};

void MainDialogTest::startStatePortsAndKeys() {
    MainWindowFixture f;
    std::map<int, PtyHost*> devices;
    for (int com : {3, 1, 30}) {  // COM30: the last one offered
        QVERIFY(devices[com] = f.AddDevice(com));
    }
    f.Create();
    QCOMPARE(f.ShownSettings(),
             (QStringList{"10.1.0.1", "1470", "", "", "", "", "115200", "NONE", "8", "1", "NONE"}));
    QVERIFY(f.ShowsPortClosed() && f.Show());
    // Sorted, each entry's device as its tooltip, searched again at the next focus, keeping
    // the selected position. A USB product string is shown as it is, never as markup.
    auto* combo = f.Control<QComboBox>(1000);
    combo->setCurrentIndex(1);
    QVERIFY(devices[7] = f.AddDevice(7));
    const QString product = QStringLiteral("<b>Sim</b> &amp; co");
    const QString tty7 = "sys/class/tty/" + QFileInfo(devices[7]->SlavePath().c_str()).fileName();
    f.WriteFile(tty7 + "/device/product", product.toUtf8());
    f.Control(1004)->setFocus();
    combo->setFocus(Qt::MouseFocusReason);
    QStringList shown, expected;
    for (const auto& [com, device] : devices) {
        const QString tip = combo->itemData(int(shown.size()), Qt::ToolTipRole).toString();
        shown << combo->itemText(int(shown.size())) + ' ' +
                     (Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText()
                                               : tip);
        expected << QStringLiteral("COM%1 ").arg(com) + device->SlavePath().c_str() +
                        (com == 7 ? " - " + product : QString());
    }
    QCOMPARE(shown, expected);
    QCOMPARE(combo->currentText(), QStringLiteral("COM3"));
    // Enter in the command edit sends nothing and closes nothing; Enter on a button presses it.
    QVERIFY(f.Open());
    f.Control<QLineEdit>(1007)->setText(QStringLiteral("!VS"));
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

void MainDialogTest::languages_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QByteArray>("id");  // 서울 four times as the language sends it
    QTest::addColumn<QString>("question");
    QTest::newRow("english") << UiLanguage::English << QStringLiteral("서울").toUtf8().repeated(4)
                             << "Are you sure to exit the program?";
    QTest::newRow("korean") << UiLanguage::Korean << QByteArray("\xBC\xAD\xBF\xEF").repeated(4)
                            << "프로그램을 종료하시겠습니까?";
}

// With no port found, Open reports the failure. An ID keeps eight characters as the operator
// sees them, whatever their bytes; a longer one that a listing stored is shown whole and refused
// with a message when taken over. Escape, the close box and Exit ask first, in the interface
// language, with Qt's standard Yes and No (so Qt's own translation names them); No leaves the
// window open. F1 and the system commands 0x0010 to 0x001F open the About box.
void MainDialogTest::languages() {
    QFETCH(UiLanguage, language);
    QFETCH(QByteArray, id);
    QFETCH(QString, question);
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(language);
    QVERIFY(f.Show());
    QVERIFY(!f.Control(1000)->isEnabled());
    QVERIFY(!f.Open());
    auto* idEdit = f.Control<QLineEdit>(1033);
    MainWindowFixture::Type(idEdit, QStringLiteral("서울서울서울서울서"));
    QCOMPARE(idEdit->text(), QStringLiteral("서울서울서울서울"));
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(QByteArray::fromStdString(window.Texts().deviceIdText), id);
    window.Texts().deviceIdText = id.toStdString() + "X";
    QVERIFY(window.exchangeData(CVDMR30QuillboxDlg::Exchange::ToControls));
    QCOMPARE(idEdit->text(), QStringLiteral("서울서울서울서울X"));
    QVERIFY(!window.exchangeData(CVDMR30QuillboxDlg::Exchange::FromControls));
    QCOMPARE(QApplication::focusWidget(), idEdit);
    QCOMPARE(idEdit->selectedText(), idEdit->text());  // ready to be typed over
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
    QCOMPARE(shown,
             (QStringList{"QMessageBox:Cannot open COM0!", "QMessageBox:8자 이내로 입력하십시오.",
                          asked, asked, asked, "CAboutDlg:", "CAboutDlg:", "CAboutDlg:"}));
    QVERIFY(window.isVisible());
}

void MainDialogTest::addressTyping_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("focus");  // the part that has the focus; 4: the host port after it
    // Three digits move on by themselves; the dot after them lands in an empty part and is
    // ignored, so a whole address can be typed as it is written.
    // clang-format off
    QTest::newRow("leading zeros") << "010.168.0.09" << "010.168.0.09" << "10.168.0.9" << 3;
    QTest::newRow("digits only") << "19216801" << "192.168.01." << "192.168.1.0" << 2;
    // Each number moved to by a third digit or a dot is selected: typing replaces it.
    QTest::newRow("typing over") << "1.2.3.4<<<<<<\b1235.6" << "123.5.6.4" << "123.5.6.4" << 2;
    QTest::newRow("blanks, dot in an empty part") << "10 1..2 3" << "10.1.2.3" << "10.1.2.3" << 3;
    QTest::newRow("letters refused") << "1a2.b3" << "12.3.." << "12.3.0.0" << 1;
    QTest::newRow("above the maximum") << "256.300.1" << "255.255.1." << "255.255.1.0" << 2;
    // Emptying a part and pressing Backspace again goes on at the end of the part before it.
    QTest::newRow("backspace across parts") << "10.1.0.1\b\b\b" << "10.1.." << "10.1.0.0" << 2;
    QTest::newRow("backspace into a number") << "1.23<.\b4" << "1.234.." << "1.234.0.0" << 2;
    QTest::newRow("arrows at the edges") << "10.1.0.1<<>7" << "10.1.0.7" << "10.1.0.7" << 3;
    // The field's own edges: nothing lies beyond them.
    QTest::newRow("after the last part") << "1.2.3.4.>5" << "1.2.3.45" << "1.2.3.45" << 3;
    QTest::newRow("before the first part") << "1<<\b2" << "21..." << "21.0.0.0" << 0;
    QTest::newRow("tab leaves the field") << "1\t" << "1..." << "1.0.0.0" << 4;
    QTest::newRow("backtab enters at the first part") << "\t^" << "..." << "0.0.0.0" << 0;
    // clang-format on
}

// Keys go to whichever widget has the focus at each key, as a keyboard sends them; '<', '>',
// '\b', '\t' and '^' stand for Left, Right, Backspace, Tab and Backtab. The field reads as its
// numbers and dots from left to right.
void MainDialogTest::addressTyping() {
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(QString, address);
    QFETCH(int, focus);
    MainWindowFixture f;
    f.Create();
    QVERIFY(f.Show());
    auto* edit = f.Control<IpAddressEdit>(1003);
    edit->ClearAddress();
    edit->setFocus();
    const Qt::Key named[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Backspace, Qt::Key_Tab,
                             Qt::Key_Backtab};
    for (const QChar key : keys) {
        const auto index = QStringLiteral("<>\b\t^").indexOf(key);
        index >= 0 ? QTest::keyClick(QApplication::focusWidget(), named[index])
                   : QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
    QMap<int, QString> byPosition;
    for (const QWidget* child :
         edit->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        byPosition[child->x()] = child->property("text").toString();
    }
    QCOMPARE(byPosition.values().join(QString()), shown);
    QCOMPARE(QString::fromStdString(FormatDotted(edit->GetAddress())), address);
    QCOMPARE(QApplication::focusWidget(), focus < 4 ? edit->Part(focus) : f.Control(1004));
}

// The icon of the windows and of the About box: the compiled-in PNG's pixels, as Qt's general
// image loading gives them.
void MainDialogTest::icon() {
    const QIcon reference(QStringLiteral(":/quillbox.png"));
    QCOMPARE(AppIcon().pixmap(48).toImage(), reference.pixmap(48).toImage());
    const QPixmap shown = CAboutDlg().findChild<QLabel*>()->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.toImage(), reference.pixmap(shown.size()).toImage());
}

QTEST_MAIN(MainDialogTest)
#include "tst_main_dialog.moc"
