#include "ui/ip_address_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace {

constexpr int kMaxPartValue = 255;
constexpr int kMaxDigits = 3;

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kParts; ++i) {
        if (i > 0) {
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        }
        auto* part = new QLineEdit(this);
        part->setFrame(false);
        part->setAlignment(Qt::AlignCenter);
        part->setMaxLength(kMaxDigits);
        part->setValidator(digits);
        // Only the first part is a tab stop, so that Tab enters and leaves the whole field.
        part->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, part, i] { OnPartEdited(part, i); });
        layout->addWidget(part, 1);
        parts[i] = part;
    }
    setFocusProxy(parts[0]);
}

uint32_t IpAddressEdit::GetAddress() const {
    uint32_t address = 0;
    for (const QLineEdit* part : parts) {
        address = (address << 8) | uint32_t(std::min(part->text().toInt(), kMaxPartValue));
    }
    return address;
}

void IpAddressEdit::SetAddress(uint32_t address) {
    for (int i = 0; i < kParts; ++i) {
        parts[i]->setText(QString::number((address >> (8 * (kParts - 1 - i))) & 0xFFu));
    }
}

void IpAddressEdit::ClearAddress() {
    for (QLineEdit* part : parts) {
        part->clear();
    }
}

bool IpAddressEdit::IsBlank() const {
    return std::all_of(std::begin(parts), std::end(parts),
                       [](const QLineEdit* part) { return part->text().isEmpty(); });
}

void IpAddressEdit::MoveTo(int index, bool atEnd) {
    parts[index]->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        parts[index]->end(false);
    } else {
        parts[index]->selectAll();
    }
}

void IpAddressEdit::OnPartEdited(QLineEdit* part, int index) {
    if (part->text().toInt() > kMaxPartValue) {
        part->setText(QString::number(kMaxPartValue));
    }
    if (part->text().size() == kMaxDigits && part->cursorPosition() == kMaxDigits &&
        index + 1 < kParts) {
        MoveTo(index + 1, false);
    }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = int(std::find(std::begin(parts), std::end(parts), watched) - parts);
    if (index == kParts || event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    const QLineEdit* part = parts[index];
    const int cursor = part->hasSelectedText() ? -1 : part->cursorPosition();
    const bool hasNext = index + 1 < kParts;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // An empty part ignores the separator, so that typing a whole address works
            // after a part has filled up and moved on by itself.
            if (!part->text().isEmpty() && hasNext) {
                MoveTo(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Left:
            if (cursor == 0 && index > 0) {
                MoveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (cursor == part->text().size() && hasNext) {
                MoveTo(index + 1, false);
                return true;
            }
            break;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}
