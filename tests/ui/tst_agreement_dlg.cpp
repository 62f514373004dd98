// The disclaimer dialog, driven through its controls on the offscreen platform, and the
// stream-in reader that hands the disclaimer fragments to its view.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "resources/string_table.h"
#include "ui/agreement_dlg.h"
#include "ui/agreement_stream.h"
#include "ui/rtf_reader.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cstring>

namespace {

constexpr uint8_t kKorean = 0x12;
constexpr uint8_t kFrench = 0x0C;

// The full text of a disclaimer, read apart from the dialog.
QString FullText(const char* const* fragments) {
    QByteArray rtf;
    for (; *fragments != nullptr; ++fragments) {
        rtf += *fragments;
    }
    QTextDocument document;
    RtfReader reader(document);
    reader.Feed(rtf.constData(), int(rtf.size()));
    reader.Finish();
    return document.toPlainText();
}

// Clicks the box where its indicator is, as a user would.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

QString Text(int id, UiLanguage language) {
    return QString::fromStdString(LoadString(id, language));
}

// A shown dialog with its controls and a recorded decline question.
struct Fixture {
    explicit Fixture(uint8_t system, UiLanguage ui = UiLanguage::English) : dialog(system, ui) {
        dialog.askYesNo = [this](QWidget* parent, const QString& caption, const QString& text) {
            questions << QStringList{caption, text};
            questionParent = parent;
            return answer;
        };
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        check = dialog.findChild<QCheckBox*>(QStringLiteral("acceptCheck"));
        ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
        cancel = dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"));
        combo = dialog.findChild<QComboBox*>(QStringLiteral("languageCombo"));
        view = dialog.findChild<QTextEdit*>(QStringLiteral("disclaimerView"));
        QVERIFY(check && ok && cancel && combo && view);
    }

    QStringList Entries() const {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i);
        }
        return entries;
    }

    CAgreementDlg dialog;
    QCheckBox* check = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QComboBox* combo = nullptr;
    QTextEdit* view = nullptr;
    QList<QStringList> questions;
    QWidget* questionParent = nullptr;
    bool answer = false;
};

}  // namespace

class TestAgreementDlg : public QObject {
    Q_OBJECT

private slots:
    void opensWithEntriesCaptionsAndText_data();
    void opensWithEntriesCaptionsAndText();
    void okIsEnabledOnlyWhileTicked();
    void languageChangeShowsWholeTextFromTopAndKeepsTick();
    void declineAsksAndEndsOnlyOnYes_data();
    void declineAsksAndEndsOnlyOnYes();
    void defaultQuestionIsAYesNoWarning();
    void doModalReportsAcceptAndDecline();
    void handsOutTheWholeListWithinTheBuffer_data();
    void handsOutTheWholeListWithinTheBuffer();
    void badRequestsAndEmptyFragments();
};

void TestAgreementDlg::opensWithEntriesCaptionsAndText_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("ui");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("language");
    const int english = int(UiLanguage::English);
    const int korean = int(UiLanguage::Korean);
    QTest::newRow("Korean system, Korean captions")
        << int(kKorean) << korean
        << QStringList{QStringLiteral("한국어"), QStringLiteral("영어"), QStringLiteral("프랑스어")}
        << int(DISCLAIMER_KOREAN);
    QTest::newRow("Korean system, English captions")
        << int(kKorean) << english
        << QStringList{QStringLiteral("Korean"), QStringLiteral("English"),
                       QStringLiteral("Franch")}
        << int(DISCLAIMER_KOREAN);
    QTest::newRow("French system starts in English")
        << int(kFrench) << english
        << QStringList{QStringLiteral("English"), QStringLiteral("Franch")}
        << int(DISCLAIMER_ENGLISH);
    QTest::newRow("other system, Korean captions")
        << 0x09 << korean << QStringList{QStringLiteral("영어"), QStringLiteral("프랑스어")}
        << int(DISCLAIMER_ENGLISH);
}

void TestAgreementDlg::opensWithEntriesCaptionsAndText() {
    QFETCH(int, system);
    QFETCH(int, ui);
    QFETCH(QStringList, entries);
    QFETCH(int, language);
    const auto uiLanguage = UiLanguage(ui);
    Fixture f(uint8_t(system), uiLanguage);
    QCOMPARE(f.Entries(), entries);
    QCOMPARE(f.combo->currentIndex(), 0);
    QCOMPARE(f.view->toPlainText(), FullText(DisclaimerFragments(language)));
    QCOMPARE(f.dialog.QWidget::windowTitle(), Text(IDS_WINDOW_TITLE, uiLanguage));
    QCOMPARE(f.check->text(), Text(IDS_ACCEPT_TERMS, uiLanguage));
    QCOMPARE(f.ok->text(), Text(IDS_OK, uiLanguage));
    QCOMPARE(f.cancel->text(), Text(IDS_CANCEL, uiLanguage));
    QCOMPARE(f.dialog.findChild<QLabel*>()->text(), Text(IDS_LANGUAGE, uiLanguage));
    QVERIFY(!f.check->isChecked());
    QVERIFY(!f.ok->isEnabled());
    QVERIFY(f.view->isReadOnly());
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    QCOMPARE(QApplication::focusWidget(), f.check);
}

// Enter accepts only while OK is enabled, and OK only while the box is ticked.
void TestAgreementDlg::okIsEnabledOnlyWhileTicked() {
    Fixture f(kFrench);
    QTest::keyClick(f.check, Qt::Key_Return);
    QTest::keyClick(f.view, Qt::Key_Enter);
    QVERIFY(f.dialog.isVisible());
    QVERIFY(f.questions.isEmpty());
    ClickBox(f.check);
    QVERIFY(f.check->isChecked());
    QVERIFY(f.ok->isEnabled());
    ClickBox(f.check);
    QVERIFY(!f.ok->isEnabled());
    f.check->setFocus();
    QTest::keyClick(f.check, Qt::Key_Space);
    QVERIFY(f.ok->isEnabled());
    QTest::keyClick(f.check, Qt::Key_Return);
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QVERIFY(!f.dialog.isVisible());

    Fixture g(kKorean);
    ClickBox(g.check);
    QTest::mouseClick(g.ok, Qt::LeftButton);
    QCOMPARE(g.dialog.result(), int(QDialog::Accepted));
    QVERIFY(!g.dialog.isVisible());
}

void TestAgreementDlg::languageChangeShowsWholeTextFromTopAndKeepsTick() {
    Fixture f(kKorean);
    ClickBox(f.check);
    const QString texts[] = {FullText(koreanDisclaimer), FullText(englishDisclaimer),
                             FullText(frenchDisclaimer)};
    // Down, down, up, up, down: every switch streams the chosen text from its first fragment.
    const int keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down};
    const int expected[] = {1, 2, 1, 0, 1};
    for (int i = 0; i < 5; ++i) {
        QScrollBar* bar = f.view->verticalScrollBar();
        bar->setValue(bar->maximum());
        QVERIFY(bar->value() > 0);
        QTest::keyClick(f.combo, Qt::Key(keys[i]));
        QCOMPARE(f.combo->currentIndex(), expected[i]);
        QCOMPARE(f.view->toPlainText(), texts[expected[i]]);
        QCOMPARE(bar->value(), 0);
        QVERIFY(f.check->isChecked());
        QVERIFY(f.ok->isEnabled());
    }
}

void TestAgreementDlg::declineAsksAndEndsOnlyOnYes_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape key") << 1;
    QTest::newRow("close box") << 2;
}

void TestAgreementDlg::declineAsksAndEndsOnlyOnYes() {
    QFETCH(int, way);
    Fixture f(kKorean, UiLanguage::Korean);
    const auto decline = [&] {
        if (way == 0) {
            QTest::mouseClick(f.cancel, Qt::LeftButton);
        } else if (way == 1) {
            QTest::keyClick(&f.dialog, Qt::Key_Escape);
        } else {
            f.dialog.close();
        }
    };
    ClickBox(f.check);
    QTest::keyClick(f.combo, Qt::Key_Down);
    const QString shown = f.view->toPlainText();
    decline();
    const QStringList question{Text(IDS_WINDOW_TITLE, UiLanguage::Korean),
                               Text(IDS_CONFIRM_EXIT, UiLanguage::Korean)};
    QCOMPARE(f.questions, QList<QStringList>{question});
    QCOMPARE(f.questionParent, &f.dialog);
    QVERIFY(f.dialog.isVisible());
    QVERIFY(f.check->isChecked() && f.ok->isEnabled());
    QCOMPARE(f.combo->currentIndex(), 1);
    QCOMPARE(f.view->toPlainText(), shown);
    f.answer = true;
    decline();
    QCOMPARE(f.questions.size(), 2);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
}

void TestAgreementDlg::defaultQuestionIsAYesNoWarning() {
    CAgreementDlg dialog(kFrench, UiLanguage::English);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QMessageBox* seen = nullptr;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(seen != nullptr);
        QCOMPARE(seen->icon(), QMessageBox::Warning);
        QCOMPARE(seen->text(), Text(IDS_CONFIRM_EXIT, UiLanguage::English));
        QCOMPARE(seen->windowTitle(), Text(IDS_WINDOW_TITLE, UiLanguage::English));
        QCOMPARE(seen->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen->defaultButton(), seen->button(QMessageBox::Yes));
        seen->button(QMessageBox::No)->click();
    });
    dialog.reject();
    QVERIFY(seen != nullptr);
    QVERIFY(dialog.isVisible());
}

void TestAgreementDlg::doModalReportsAcceptAndDecline() {
    CAgreementDlg accepting(kKorean, UiLanguage::English);
    QTimer::singleShot(0, [&] {
        ClickBox(accepting.findChild<QCheckBox*>());
        QTest::mouseClick(accepting.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
    });
    QCOMPARE(accepting.DoModal(), CAgreementDlg::IDOK);

    CAgreementDlg declining(kKorean, UiLanguage::English);
    declining.askYesNo = [](QWidget*, const QString&, const QString&) { return true; };
    QTimer::singleShot(0, [&] { QTest::keyClick(&declining, Qt::Key_Escape); });
    QCOMPARE(declining.DoModal(), CAgreementDlg::IDCANCEL);
}

void TestAgreementDlg::handsOutTheWholeListWithinTheBuffer_data() {
    QTest::addColumn<int>("capacity");
    for (int capacity : {1, 7, 343, 344, 4096}) {
        QTest::newRow(qPrintable(QString::number(capacity))) << capacity;
    }
}

// A buffer that holds any fragment gets exactly one fragment per request; a smaller one gets
// each fragment in pieces, and nothing is ever written past its end.
void TestAgreementDlg::handsOutTheWholeListWithinTheBuffer() {
    QFETCH(int, capacity);
    DisclaimerStream stream;
    stream.fragments = DisclaimerFragments(DISCLAIMER_KOREAN);
    QByteArray buffer(capacity + 8, '#');
    QByteArray expected;
    QByteArray streamed;
    int requests = 0;
    for (const char* const* f = koreanDisclaimer; *f != nullptr; ++f) {
        expected += *f;
    }
    for (int count; (count = readDisclaimerChunk(stream, buffer.data(), capacity)) > 0;) {
        QVERIFY(count <= capacity);
        QCOMPARE(buffer.mid(capacity), QByteArray(8, '#'));
        if (capacity >= 344) {
            QCOMPARE(count, int(std::strlen(koreanDisclaimer[requests])));
            QCOMPARE(stream.disclaimerReadPos, requests + 1);
        }
        streamed.append(buffer.constData(), count);
        ++requests;
    }
    QCOMPARE(streamed, expected);
    QCOMPARE(readDisclaimerChunk(stream, buffer.data(), capacity), 0);
}

void TestAgreementDlg::badRequestsAndEmptyFragments() {
    QCOMPARE(DisclaimerFragments(3), nullptr);
    const char* const withEmpty[] = {"{\\rtf1 ", "", "x}", nullptr};
    DisclaimerStream stream;
    stream.fragments = withEmpty;
    char buffer[16];
    QCOMPARE(readDisclaimerChunk(stream, buffer, 0), 0);
    QCOMPARE(readDisclaimerChunk(stream, nullptr, 16), 0);
    QCOMPARE(stream.disclaimerReadPos, 0);
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 7);
    // An empty fragment does not end the stream early.
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 2);
    QCOMPARE(QByteArray(buffer, 2), QByteArray("x}"));
    QCOMPARE(readDisclaimerChunk(stream, buffer, 16), 0);
    DisclaimerStream none;
    QCOMPARE(readDisclaimerChunk(none, buffer, 16), 0);
}

QTEST_MAIN(TestAgreementDlg)
#include "tst_agreement_dlg.moc"
