#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void InstallQtTranslation(UiLanguage language, QTranslator& translator) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == UiLanguage::Korean && translator.load(QStringLiteral("qtbase_ko"), folder)) {
        QCoreApplication::installTranslator(&translator);
    }
}
