#include "ui/app_icon.h"

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/quillbox.png"));
}
