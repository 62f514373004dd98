// The main window on its own: start values, the keys, the exit question in both languages,
// the ID length rule with Hangul, and the About box.
#include <QCheckBox>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtTest>

#include "main_window_fixture.h"

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startStateAndKeys();
    void exitQuestion_data();
    void exitQuestion();
    void deviceIdRule_data();
    void deviceIdRule();
    void aboutBox();
};

void MainDialogTest::startStateAndKeys() {
    MainWindowFixture f;
    QVERIFY(f.AddDevice(3));
    CVDMR30QuillboxDlg& window = f.Create();
    QCOMPARE(f.ShownSettings(),
             (QStringList{"10.1.0.1", "1470", "", "", "", "", "115200", "NONE", "8", "1", "NONE"}));
    QVERIFY(f.ShowsPortClosed());
    QVERIFY(f.Show());
    // Enter in the command edit sends nothing and closes nothing; Enter on a button presses it.
    QVERIFY(f.Open());
    f.Control(1007)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(window.isVisible());
    QCOMPARE(f.LogCount(), 0);
    f.Control(1002)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(f.ShowsPortClosed());
    // A click on Auto scroll takes the typed values over.
    f.Control<QLineEdit>(1004)->setText(QStringLiteral("8080"));
    f.Control<QCheckBox>(1013)->click();
    QCOMPARE(window.Texts().autoScroll, 0);
    QCOMPARE(window.Texts().hostPortText, std::string("8080"));
    QCOMPARE(f.boxes.Count(), 0);
}

void MainDialogTest::exitQuestion_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("yes");
    QTest::newRow("english") << UiLanguage::English << "Are you sure to exit the program?"
                             << "&Yes";
    QTest::newRow("korean") << UiLanguage::Korean << "프로그램을 종료하시겠습니까?"
                            << "예";
}

// Escape, the close box and Exit ask first; No leaves the window open. Under a Korean
// interface with Qt's Korean texts loaded, the box's buttons are Korean too.
void MainDialogTest::exitQuestion() {
    QFETCH(UiLanguage, language);
    QFETCH(QString, question);
    QFETCH(QString, yes);
    QTranslator qtTexts;
    if (language == UiLanguage::Korean) {
        if (!qtTexts.load(QStringLiteral("qtbase_ko"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QSKIP("Qt's Korean translation is not installed");
        }
        QCoreApplication::installTranslator(&qtTexts);
    }
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create(language);
    QVERIFY(f.Show());
    f.boxes.SetAnswer(QMessageBox::No);
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    f.Click(1011);
    QCoreApplication::removeTranslator(&qtTexts);
    QCOMPARE(f.boxes.Texts(), (QStringList{question, question, question}));
    QCOMPARE(f.boxes.Last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(f.boxes.Last().defaultButton, QMessageBox::Yes);
    QVERIFY(f.boxes.Last().buttonTexts.first().startsWith(yes));
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
}

void MainDialogTest::aboutBox() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    QTest::keyClick(&window, Qt::Key_F1);
    for (int command : {0x0010, 0x001F, 0x0020, 0xF060}) {
        window.OnSysCommand(command);
    }
    QCOMPARE(f.boxes.Count(), 3);
    QCOMPARE(f.boxes.Last().className, QStringLiteral("CAboutDlg"));
    QVERIFY(window.isVisible());
}

QTEST_MAIN(MainDialogTest)
#include "tst_main_dialog.moc"
