#include "ui/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "ui/app_icon.h"
#include "ui/dialog_units.h"

namespace {

constexpr int kFontPoints = 9;

void AddText(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("VDM-R30 Quillbox"));
    QFont font = DialogFont();
    font.setPointSize(kFontPoints);
    setFont(font);
    const DialogUnits units(font);
    setFixedSize(units.Size(235, 55));

    const QRect iconRect = units.Rect(11, 17, 20, 20);
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(iconRect.size()));
    icon->setGeometry(iconRect);

    AddText(this, QStringLiteral("VDM-R30 Quillbox v1.1a"), units.Rect(40, 10, 119, 8));
    AddText(this, QStringLiteral("VDM-R30 setup over RS-232"), units.Rect(40, 25, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName(QStringLiteral("ctl1"));
    ok->setGeometry(units.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
