// The controls of the disclaimer dialog, placed as template 130 places them (dialog units).
#include "ui/agreement_dlg.h"
#include "ui/dialog_units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

void CAgreementDlg::CreateControls() {
    acceptCheck = new QCheckBox(this);
    acceptCheck->setObjectName(QStringLiteral("acceptCheck"));
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    languageLabel = new QLabel(this);
    languageLabel->setObjectName(QStringLiteral("languageLabel"));
    languageCombo = new QComboBox(this);
    languageCombo->setObjectName(QStringLiteral("languageCombo"));
    languageCombo->setEditable(false);
    disclaimerEdit = new QTextEdit(this);
    disclaimerEdit->setObjectName(QStringLiteral("disclaimerView"));
    disclaimerEdit->setReadOnly(true);
    disclaimerEdit->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    disclaimerEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    disclaimerEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Tab order is template order; the check box, first of all, gets the focus.
    setTabOrder(acceptCheck, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, languageCombo);
    setTabOrder(languageCombo, disclaimerEdit);
    languageLabel->setFocusPolicy(Qt::NoFocus);
    acceptCheck->setFocus();
}

void CAgreementDlg::LayOutControls() {
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(340, 231));
    acceptCheck->setGeometry(units.Rect(8, 198, 285, 10));
    okButton->setGeometry(units.Rect(120, 210, 50, 14));
    cancelButton->setGeometry(units.Rect(170, 210, 50, 14));
    languageLabel->setGeometry(units.Rect(8, 8, 32, 8));
    // The template's height of a drop-down list includes its open list; the closed box is as
    // high as the style makes it.
    QRect combo = units.Rect(44, 7, 65, 97);
    combo.setHeight(languageCombo->sizeHint().height());
    languageCombo->setGeometry(combo);
    languageCombo->setMaxVisibleItems(8);
    disclaimerEdit->setGeometry(units.Rect(7, 21, 326, 176));
}
