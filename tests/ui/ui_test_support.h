#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/com_port_map.h"
#include "sim/pty_host.h"

// Stands in for the operator at modal dialogs: records every dialog that a window would run
// and answers it at once, without an event loop. Install with `window.runModal =
// recorder.Runner()` (any std::function<int(QDialog&)> seam).
class ModalRecorder {
public:
    struct Shown {
        QString className;  // the dialog's class, e.g. "QMessageBox" or "CAboutDlg"
        QString caption;
        QString text;
        QString detail;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::StandardButtons buttons;
    };

    // The answer given to every dialog (a QMessageBox::StandardButton, or a dialog code).
    void SetAnswer(int answer) { this->answer = answer; }
    std::function<int(QDialog&)> Runner();

    const std::vector<Shown>& All() const { return shown; }
    int Count() const { return static_cast<int>(shown.size()); }
    const Shown& Last() const { return shown.back(); }
    QStringList Texts() const;
    void Clear() { shown.clear(); }

private:
    std::vector<Shown> shown;
    int answer = QMessageBox::Ok;
};

// A private device tree for discovery: empty fake /sys and /dev folders and a links folder in
// which simulated devices appear as COM ports. Nothing in it reaches a real serial device.
class SimulatedPorts {
public:
    SimulatedPorts();

    bool IsValid() const { return folder.isValid(); }
    const PortRoots& Roots() const { return roots; }

    // Starts a simulated VDM-R30 with `storedLines` and links it as COM `comNumber`; nullptr
    // (with a reason in `error`) when the pseudo-terminal cannot be made.
    PtyHost* Add(int comNumber, std::vector<std::string> storedLines = {},
                 std::string* error = nullptr);
    // Stops the device linked as COM `comNumber` and removes its link.
    void Remove(int comNumber);

private:
    QTemporaryDir folder;
    PortRoots roots;
    std::vector<std::pair<int, std::unique_ptr<PtyHost>>> hosts;
};
