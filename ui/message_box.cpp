#include "ui/message_box.h"

ModalRunner ExecModal() {
    return [](QDialog& dialog) { return dialog.exec(); };
}

QMessageBox::Icon ToBoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::Warning;
}

int RunMessageBox(const ModalRunner& run, QWidget* parent, const BoxContent& content) {
    QMessageBox box(content.icon, content.caption, content.text, content.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (!content.detail.isEmpty()) {
        box.setInformativeText(content.detail);
    }
    if (content.defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(content.defaultButton);
    }
    return run(box);
}
