#pragma once

#include "resources/string_table.h"

#include <QDialog>
#include <QString>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;

// The disclaimer dialog (template 130). It shows the disclaimer in Korean, English or French,
// offers Korean only on a Korean system, enables OK while the acceptance box is ticked, and asks
// before it lets the user decline. It persists nothing: exec() returns QDialog::Accepted when the
// user accepted and QDialog::Rejected when the user declined; DoModal() gives the same as 1 or 2.
// User-interface thread only. exec(), DoModal() and the decline question block until answered.
class CAgreementDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    // `systemLanguage` is the low byte of the system's default language (0x12: Korean);
    // `uiLanguage` picks the captions.
    CAgreementDlg(uint8_t systemLanguage, UiLanguage uiLanguage, QWidget* parent = nullptr);

    // Runs the dialog modally: IDOK when accepted, IDCANCEL when declined.
    [[nodiscard]] int DoModal();

    // Escape, the close box and Cancel all come here: the decline question.
    void reject() override;

private:
    void CreateControls();
    void ConnectControls();
    void OnInitDialog();

    void onAcceptClicked();
    void onLanguageChanged();
    void onOk();
    void confirmDecline();
    void showDisclaimer();

    uint8_t systemLanguage;
    UiLanguage uiLanguage;
    QString windowTitle;
    QCheckBox* acceptCheck = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QLabel* languageLabel = nullptr;
    QComboBox* languageCombo = nullptr;
    QTextEdit* disclaimerEdit = nullptr;
};
