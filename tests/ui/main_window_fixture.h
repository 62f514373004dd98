#pragma once

#include <QApplication>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "ui/main_dialog.h"
#include "ui_test_support.h"

// The main window over simulated devices only, with every modal box answered by a recorder.
// Add the devices first, then Create the window (discovery runs while it is built).
class MainWindowFixture {
public:
    PtyHost* AddDevice(int comNumber, std::vector<std::string> storedLines = {}) {
        std::string error;
        PtyHost* host = ports.Add(comNumber, std::move(storedLines), &error);
        if (host == nullptr) {
            qWarning("simulated device COM%d: %s", comNumber, error.c_str());
        }
        return host;
    }

    CVDMR30QuillboxDlg& Create(UiLanguage language = UiLanguage::English) {
        window = std::make_unique<CVDMR30QuillboxDlg>(language, ports.Roots());
        window->runModal = boxes.Runner();
        return *window;
    }

    // Shows the window and waits until it is active, so that focus and keys are real.
    [[nodiscard]] bool Show() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    template <typename Widget = QWidget>
    Widget* Control(int id) const {
        return window->findChild<Widget*>(QStringLiteral("ctl%1").arg(id));
    }

    SimulatedPorts ports;
    ModalRecorder boxes;
    std::unique_ptr<CVDMR30QuillboxDlg> window;
};
