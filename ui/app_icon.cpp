#include "ui/app_icon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kSize = 64;

QIcon DrawnIcon() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 78, 152));
    painter.drawRoundedRect(QRectF(2, 2, kSize - 4, kSize - 4), 10, 10);
    painter.setPen(QColor(192, 192, 192));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(kSize / 2);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Q"));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon AppIcon() {
    const QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? DrawnIcon() : icon;
}
