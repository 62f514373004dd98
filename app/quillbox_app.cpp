#include "app/quillbox_app.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <utility>

#include "app/acceptance_flag.h"

CVDMR30QuillboxApp::CVDMR30QuillboxApp(QString applicationName, Dialogs dialogs)
    : applicationName(std::move(applicationName)), dialogs(std::move(dialogs)) {}

bool CVDMR30QuillboxApp::InitInstance() {
    systemLanguage = SystemLanguageId();
    const AcceptanceFlag flag(applicationName);
    uint32_t accepted = flag.Read();
    if (accepted == 0 && dialogs.runAgreement(systemLanguage)) {
        flag.WriteAccepted();
        accepted = 1;
    }
    if (accepted == 1) {
        dialogs.runMain();
    }
    return false;
}

void InstallQtTranslation(UiLanguage language, QTranslator& translator) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == UiLanguage::Korean && translator.load(QStringLiteral("qtbase_ko"), folder)) {
        QCoreApplication::installTranslator(&translator);
    }
}
