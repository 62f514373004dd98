// The application's icon as the window, the application and the About box get it: the same
// pixels, at every size asked for, as Qt's general image loading gives for the compiled-in PNG.
#include <QtTest>
#include <QtWidgets>

#include "ui/about_dlg.h"
#include "ui/app_icon.h"

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    void pixels_data();
    void pixels();
    void aboutBox();
};

void AppIconTest::pixels_data() {
    QTest::addColumn<int>("side");
    for (int side : {16, 32, 48, 64, 256}) {
        QTest::addRow("%d px", side) << side;
    }
}

void AppIconTest::pixels() {
    QFETCH(int, side);
    const QSize size(side, side);
    const QIcon reference(QStringLiteral(":/quillbox.png"));
    QCOMPARE(AppIcon().availableSizes(), reference.availableSizes());
    const QImage shown = AppIcon().pixmap(size).toImage();
    QCOMPARE(shown.size(), size);
    QCOMPARE(shown, reference.pixmap(size).toImage());
}

void AppIconTest::aboutBox() {
    CAboutDlg about;
    const auto* icon = about.findChild<QLabel*>();
    QVERIFY(icon && !icon->pixmap().isNull());
    QCOMPARE(icon->pixmap().toImage(),
             QIcon(QStringLiteral(":/quillbox.png")).pixmap(icon->pixmap().size()).toImage());
}

QTEST_MAIN(AppIconTest)
#include "tst_app_icon.moc"
