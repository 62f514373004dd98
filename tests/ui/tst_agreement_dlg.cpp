// The disclaimer dialog, driven through its controls on the offscreen platform.
#include "ui/agreement_dlg.h"
#include "ui/agreement_stream.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>

namespace {

// The whole text of disclaimer language `language` runs from its title to the web address.
bool ShowsWholeText(const QTextEdit* view, int language) {
    const char* const titles[] = {"면책 고지", "Disclaimer of Liability",
                                  "Clause de non-responsabilité"};
    const QString text = view->toPlainText().trimmed();
    return text.startsWith(QString(titles[language]) + "\n") &&
           text.endsWith("www.tavrel.example.com");
}

// Answers the next message box with `button`, noting its caption, text, icon and default.
void Answer(QMessageBox::StandardButton button, QStringList& seen) {
    QTimer::singleShot(0, [button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            const bool yesFirst = box->defaultButton() == box->button(QMessageBox::Yes);
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << (yesFirst ? "Yes default" : "other default");
            box->button(button)->click();
        }
    });
}

struct Fixture {
    explicit Fixture(uint8_t system, UiLanguage ui = UiLanguage::English) : dialog(system, ui) {
        dialog.show();
    }
    void Tick() { QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2)); }

    CAgreementDlg dialog;
    QCheckBox* check = dialog.findChild<QCheckBox*>("acceptCheck");
    QPushButton* ok = dialog.findChild<QPushButton*>("okButton");
    QComboBox* combo = dialog.findChild<QComboBox*>("languageCombo");
    QTextEdit* view = dialog.findChild<QTextEdit*>("disclaimerView");
};

}  // namespace

class TestAgreementDlg : public QObject {
    Q_OBJECT

private slots:
    // Korean is offered, and first, only on a Korean system; each choice shows its whole text
    // from the top and keeps the tick. Enter accepts only while the box is ticked.
    void languagesAndAcceptance() {
        Fixture french(0x0C);
        QCOMPARE(french.combo->count(), 2);
        QVERIFY(ShowsWholeText(french.view, DISCLAIMER_ENGLISH));
        Fixture f(0x12);
        QCOMPARE(f.dialog.QWidget::windowTitle(),
                 QStringLiteral("VDM-R30 Quillbox v2.1A (2013.05.31)"));
        f.Tick();
        const int keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up};
        const int shown[] = {DISCLAIMER_KOREAN, DISCLAIMER_ENGLISH, DISCLAIMER_FRENCH,
                             DISCLAIMER_ENGLISH, DISCLAIMER_KOREAN};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(ShowsWholeText(f.view, shown[i]));
            QCOMPARE(f.view->verticalScrollBar()->value(), 0);
            QVERIFY(f.check->isChecked() && f.ok->isEnabled());
            f.view->verticalScrollBar()->setValue(f.view->verticalScrollBar()->maximum());
            QTest::keyClick(f.combo, Qt::Key(keys[qMin(i, 3)]));
        }
        f.Tick();
        QTest::keyClick(f.check, Qt::Key_Return);
        QVERIFY(f.dialog.isVisible() && !f.ok->isEnabled());
        f.Tick();
        QTest::keyClick(f.check, Qt::Key_Return);
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    }

    // The operator reads the disclaimer but cannot change it: no key, paste, cut or input
    // method composition reaches the document.
    void disclaimerCannotBeEdited_data() {
        QTest::addColumn<std::function<void(QTextEdit*)>>("edit");
        QTest::newRow("typing") << std::function([](QTextEdit* v) { QTest::keyClicks(v, "xyz"); });
        QTest::newRow("paste") << std::function([](QTextEdit* v) {
            QApplication::clipboard()->setText("pasted");
            QTest::keyClick(v, Qt::Key_V, Qt::ControlModifier);
        });
        // What a platform input method does with the focused widget: it asks whether the widget
        // takes its input, then commits the composed text.
        QTest::newRow("input method") << std::function([](QTextEdit* v) {
            QInputMethodQueryEvent query(Qt::ImEnabled);
            QApplication::sendEvent(v, &query);
            QVERIFY(!query.value(Qt::ImEnabled).toBool());
            QInputMethodEvent commit;
            commit.setCommitString("동의");
            QApplication::sendEvent(v, &commit);
        });
    }
    void disclaimerCannotBeEdited() {
        QFETCH(std::function<void(QTextEdit*)>, edit);
        Fixture f(0x12);
        const QString before = f.view->toPlainText();
        QSignalSpy changes(f.view->document(), &QTextDocument::contentsChanged);
        f.view->setFocus();
        edit(f.view);
        QCOMPARE(f.view->toPlainText(), before);
        QCOMPARE(changes.count(), 0);
        QVERIFY(f.view->isReadOnly());
    }

    // Tab reaches the text, and the keyboard moves the caret through it and selects it, as a
    // screen reader's user reads it.
    void disclaimerIsReadByKeyboard() {
        Fixture f(0x12);
        f.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        const auto controls = f.dialog.findChildren<QWidget*>().size();
        for (int tabs = 0; tabs < controls && QApplication::focusWidget() != f.view; ++tabs) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), f.view);
        QTest::keyClick(f.view, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(f.view->textCursor().atEnd());
        QTest::keyClick(f.view, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.view->textCursor().hasSelection());
        QCOMPARE(f.view->textCursor().selectionStart(), 0);
    }

    // Cancel and Escape ask first: a warning in the interface language with Yes (the default)
    // and No; No keeps the dialog open.
    void declineAsksFirst() {
        for (bool escape : {false, true}) {
            Fixture f(0x12, UiLanguage::Korean);
            QPushButton* cancel = f.dialog.findChild<QPushButton*>("cancelButton");
            QStringList seen;
            for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
                QVERIFY(f.dialog.isVisible());
                Answer(answer, seen);
                escape ? QTest::keyClick(&f.dialog, Qt::Key_Escape)
                       : QTest::mouseClick(cancel, Qt::LeftButton);
            }
            QCOMPARE(
                seen.mid(0, 4),
                (QStringList{"VDM-R30 Quillbox v2.1A (2013.05.31)", "프로그램을 종료하시겠습니까?",
                             QString::number(QMessageBox::Warning), "Yes default"}));
            QVERIFY(!f.dialog.isVisible() && f.dialog.result() == QDialog::Rejected);
        }
    }
};

QTEST_MAIN(TestAgreementDlg)
#include "tst_agreement_dlg.moc"
