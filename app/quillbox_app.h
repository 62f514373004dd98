#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "resources/string_table.h"

class QTranslator;

// The application object: start-up is the whole of its life. It records whether the system is
// Korean, shows the disclaimer until it has been accepted once, then runs the main window.
class CVDMR30QuillboxApp {
public:
    // How the two dialogs are run; tests replace them.
    struct Dialogs {
        // Runs the disclaimer modally: true only when it was shown and accepted.
        std::function<bool(uint8_t systemLanguage)> runAgreement;
        // Runs the main window modally until the operator leaves.
        std::function<void()> runMain;
    };

    CVDMR30QuillboxApp(QString applicationName, Dialogs dialogs);

    // Always false: when it returns the program ends.
    bool InitInstance();

    uint8_t systemLanguage = 0;

private:
    QString applicationName;
    Dialogs dialogs;
};

// Puts Qt's own texts (the buttons of the standard message boxes, the file dialogs) in the
// interface language: for a Korean interface it loads qtbase_ko.qm from Qt's translations folder
// into `translator` and installs it, so it must outlive every window. Where that file is
// missing the texts stay English. User-interface thread, once the application object exists.
void InstallQtTranslation(UiLanguage language, QTranslator& translator);
