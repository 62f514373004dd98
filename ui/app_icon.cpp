#include "ui/app_icon.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace {

// Decoded once for the program's life: the window, the application and the About box share it.
// The reader is told the format and not to guess it: guessing first loads and asks every image
// format plugin installed (GIF, ICO, JPEG, ...), which costs milliseconds at start-up.
const QImage& IconImage() {
    static const QImage image = [] {
        QImageReader reader(QStringLiteral(":/quillbox.png"), "png");
        reader.setAutoDetectImageFormat(false);
        return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }();
    return image;
}

}  // namespace

QIcon AppIcon() {
    return QIcon(QPixmap::fromImage(IconImage()));
}
