#include <QApplication>
#include <QTranslator>

#include "app/acceptance_flag.h"
#include "app/quillbox_app.h"
#include "resources/string_table.h"
#include "ui/agreement_dlg.h"
#include "ui/app_icon.h"
#include "ui/main_dialog.h"

namespace {

// The dialog objects live only for their modal run.
CVDMR30QuillboxApp::Dialogs RealDialogs() {
    return {[](uint8_t systemLanguage) {
                CAgreementDlg agreement(systemLanguage, DetectUiLanguage());
                return agreement.DoModal() == CAgreementDlg::IDOK;
            },
            [] {
                CVDMR30QuillboxDlg mainWindow;
                mainWindow.exec();
            }};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString name = ApplicationNameFromExecutable(QString::fromLocal8Bit(argv[0]));
    QApplication::setApplicationName(name);
    QApplication::setWindowIcon(AppIcon());
    QTranslator qtTexts;
    InstallQtTranslation(DetectUiLanguage(), qtTexts);

    CVDMR30QuillboxApp app(name, RealDialogs());
    app.InitInstance();
    return 0;
}
