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

int PartValue(const QLineEdit* part) {
    return part->text().isEmpty() ? 0 : part->text().toInt();
}

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
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* part = new QLineEdit(this);
        part->setFrame(false);
        part->setAlignment(Qt::AlignCenter);
        part->setMaxLength(kMaxDigits);
        part->setValidator(digits);
        // Only the first part is a tab stop, so that Tab enters and leaves the whole field.
        part->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, i] { OnPartEdited(i); });
        layout->addWidget(part, 1);
        parts[static_cast<size_t>(i)] = part;
    }
    setFocusProxy(parts[0]);
}

uint32_t IpAddressEdit::GetAddress() const {
    uint32_t address = 0;
    for (const QLineEdit* part : parts) {
        const int value = std::min(PartValue(part), kMaxPartValue);
        address = (address << 8) | static_cast<uint32_t>(value);
    }
    return address;
}

void IpAddressEdit::SetAddress(uint32_t address) {
    for (int i = 0; i < kParts; ++i) {
        const uint32_t value = (address >> (8 * (kParts - 1 - i))) & 0xFFu;
        parts[static_cast<size_t>(i)]->setText(QString::number(value));
    }
}

void IpAddressEdit::ClearAddress() {
    for (QLineEdit* part : parts) {
        part->clear();
    }
}

bool IpAddressEdit::IsBlank() const {
    return std::all_of(parts.begin(), parts.end(),
                       [](const QLineEdit* part) { return part->text().isEmpty(); });
}

int IpAddressEdit::PartIndex(QObject* object) const {
    for (int i = 0; i < kParts; ++i) {
        if (parts[static_cast<size_t>(i)] == object) {
            return i;
        }
    }
    return -1;
}

void IpAddressEdit::MoveTo(int index, bool atEnd) {
    if (index < 0 || index >= kParts) {
        return;
    }
    QLineEdit* part = parts[static_cast<size_t>(index)];
    part->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        part->end(false);
    } else {
        part->selectAll();
    }
}

void IpAddressEdit::OnPartEdited(int index) {
    QLineEdit* part = parts[static_cast<size_t>(index)];
    if (PartValue(part) > kMaxPartValue) {
        part->setText(QString::number(kMaxPartValue));
    }
    if (part->text().size() == kMaxDigits && part->cursorPosition() == kMaxDigits) {
        MoveTo(index + 1, false);
    }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = PartIndex(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QLineEdit* part = parts[static_cast<size_t>(index)];
    const bool atStart = part->cursorPosition() == 0 && !part->hasSelectedText();
    const bool atEnd = part->cursorPosition() == part->text().size() && !part->hasSelectedText();
    switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // An empty part ignores the separator, so that typing a whole address works
            // after a part has filled up and moved on by itself.
            if (!part->text().isEmpty()) {
                MoveTo(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            if (atStart && index > 0) {
                MoveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (atStart && index > 0) {
                MoveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (atEnd && index + 1 < kParts) {
                MoveTo(index + 1, false);
                return true;
            }
            break;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}
