#include "ui/agreement_dlg.h"

#include "resources/disclaimers/disclaimer_fragments.h"
#include "ui/agreement_stream.h"
#include "ui/dialog_units.h"
#include "ui/rtf_reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

namespace {

// The disclaimer is read, never edited. A read-only QTextEdit still tells the platform's input
// method that it takes input and inserts the text the input method commits (a Korean input
// method composes every key), so this view declines both.
class DisclaimerView : public QTextEdit {
public:
    using QTextEdit::inputMethodQuery;
    using QTextEdit::QTextEdit;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        return query == Qt::ImEnabled ? QVariant(false) : QTextEdit::inputMethodQuery(query);
    }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override { event->ignore(); }
};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

CAgreementDlg::CAgreementDlg(uint8_t systemLanguage, UiLanguage uiLanguage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      systemLanguage(systemLanguage),
      uiLanguage(uiLanguage) {
    CreateControls();
    ConnectControls();
    OnInitDialog();
}

int CAgreementDlg::DoModal() {
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CAgreementDlg::reject() {
    confirmDecline();
}

// The controls, placed as template 130 places them (dialog units), in its tab order; the check
// box, first of all, gets the focus.
void CAgreementDlg::CreateControls() {
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(340, 231));
    acceptCheck = Place(new QCheckBox(this), "acceptCheck", units.Rect(8, 198, 285, 10));
    okButton = Place(new QPushButton(this), "okButton", units.Rect(120, 210, 50, 14));
    okButton->setDefault(true);
    cancelButton = Place(new QPushButton(this), "cancelButton", units.Rect(170, 210, 50, 14));
    languageLabel = Place(new QLabel(this), "languageLabel", units.Rect(8, 8, 32, 8));
    // The template's height of a drop-down list includes its open list; the closed box is as
    // high as the style makes it.
    languageCombo = Place(new QComboBox(this), "languageCombo", units.Rect(44, 7, 65, 97));
    languageCombo->resize(languageCombo->width(), languageCombo->sizeHint().height());
    languageCombo->setMaxVisibleItems(8);
    disclaimerEdit = Place(new DisclaimerView(this), "disclaimerView", units.Rect(7, 21, 326, 176));
    disclaimerEdit->setReadOnly(true);
    disclaimerEdit->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    disclaimerEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    acceptCheck->setFocus();
}

void CAgreementDlg::ConnectControls() {
    connect(acceptCheck, &QCheckBox::clicked, this, &CAgreementDlg::onAcceptClicked);
    connect(languageCombo, qOverload<int>(&QComboBox::activated), this,
            &CAgreementDlg::onLanguageChanged);
    connect(okButton, &QPushButton::clicked, this, &CAgreementDlg::onOk);
    connect(cancelButton, &QPushButton::clicked, this, &CAgreementDlg::confirmDecline);
}

void CAgreementDlg::OnInitDialog() {
    const auto text = [this](int id) { return QString::fromStdString(LoadString(id, uiLanguage)); };
    windowTitle = text(IDS_WINDOW_TITLE);
    setWindowTitle(windowTitle);
    acceptCheck->setText(text(IDS_ACCEPT_TERMS));
    okButton->setText(text(IDS_OK));
    cancelButton->setText(text(IDS_CANCEL));
    languageLabel->setText(text(IDS_LANGUAGE));
    if (systemLanguage == LANG_KOREAN) {
        languageCombo->addItem(text(IDS_LANGUAGE_KOREAN));
    }
    languageCombo->addItem(text(IDS_LANGUAGE_ENGLISH));
    languageCombo->addItem(text(IDS_LANGUAGE_FRENCH));
    okButton->setEnabled(false);
    languageCombo->setCurrentIndex(0);
    showDisclaimer();
}

void CAgreementDlg::onAcceptClicked() {
    okButton->setEnabled(acceptCheck->isChecked());
}

void CAgreementDlg::onLanguageChanged() {
    showDisclaimer();
}

void CAgreementDlg::onOk() {
    accept();
}

void CAgreementDlg::confirmDecline() {
    const QString question = QString::fromStdString(LoadString(IDS_CONFIRM_EXIT, uiLanguage));
    QMessageBox box(QMessageBox::Warning, windowTitle, question, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes) {
        QDialog::reject();
    }
}

// Replaces the whole text with the document of the selected language, streamed in fragment by
// fragment, and shows it from the top.
void CAgreementDlg::showDisclaimer() {
    int language = languageCombo->currentIndex();
    if (systemLanguage != LANG_KOREAN) {
        ++language;
    }
    DisclaimerStream stream;
    stream.fragments = DisclaimerFragments(language);
    stream.disclaimerReadPos = 0;
    RtfReader reader(*disclaimerEdit->document());
    char buffer[kDisclaimerChunkCapacity];
    for (int count; (count = readDisclaimerChunk(stream, buffer, sizeof buffer)) > 0;) {
        reader.Feed(buffer, count);
    }
    reader.Finish();
    disclaimerEdit->moveCursor(QTextCursor::Start);
    disclaimerEdit->verticalScrollBar()->setValue(0);
}
