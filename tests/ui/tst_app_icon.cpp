// The application's icon as the window and the About box get it: the pixels of the compiled-in
// PNG as Qt's general image loading gives them.
#include <QtTest>
#include <QtWidgets>

#include "ui/about_dlg.h"
#include "ui/app_icon.h"

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    void pixels() {
        const QIcon reference(QStringLiteral(":/quillbox.png"));
        const QSize size(48, 48);
        QCOMPARE(AppIcon().pixmap(size).toImage(), reference.pixmap(size).toImage());
        CAboutDlg about;
        const QPixmap shown = about.findChild<QLabel*>()->pixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.toImage(), reference.pixmap(shown.size()).toImage());
    }
};

QTEST_MAIN(AppIconTest)
#include "tst_app_icon.moc"
