#include <QApplication>
#include <QIcon>

#include "app/acceptance_flag.h"
#include "app/quillbox_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString name = ApplicationNameFromExecutable(QString::fromLocal8Bit(argv[0]));
    QApplication::setApplicationName(name);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));

    CVDMR30QuillboxApp app(name, RealDialogs());
    app.InitInstance();
    return 0;
}
