#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// The application object: start-up is the whole of its life. It records whether the system is
// Korean, shows the disclaimer until it has been accepted once, then runs the main window.
class CVDMR30QuillboxApp {
public:
    // How the two dialogs are run; tests replace them.
    struct Dialogs {
        // Runs the disclaimer modally: 1 when accepted, 2 when declined, -1 when it could not
        // be shown.
        std::function<int(uint8_t systemLanguage)> runAgreement;
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
