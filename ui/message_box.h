#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

#include "link/user_message.h"

// Runs a modal dialog and returns its result. The program's runner calls exec(); tests put in
// one that records the dialog and answers it without an event loop.
using ModalRunner = std::function<int(QDialog&)>;

// The runner that shows the dialog for real.
ModalRunner ExecModal();

QMessageBox::Icon ToBoxIcon(MessageIcon icon);

// What a message box shows and offers.
struct BoxContent {
    QString caption;
    QString text;
    QString detail;  // informative text under the message, may be empty
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows a modal message box owned by `parent` through `run`; returns the button pressed
// (a QMessageBox::StandardButton). User-interface thread only; blocks until answered.
int RunMessageBox(const ModalRunner& run, QWidget* parent, const BoxContent& content);
