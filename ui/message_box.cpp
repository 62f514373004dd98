#include "ui/message_box.h"

ModalRunner ExecModal() {
    return [](QDialog& dialog) { return dialog.exec(); };
}

QMessageBox::Icon ToBoxIcon(MessageIcon icon) {
    // In the order of MessageIcon.
    constexpr QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                           QMessageBox::Critical, QMessageBox::Question};
    return icons[static_cast<int>(icon)];
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
