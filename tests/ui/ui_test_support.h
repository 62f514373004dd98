#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "sim/pty_host.h"

// Stands in for the operator at modal dialogs: records every dialog that a window would run
// and answers it at once, without an event loop. Install with `window.runModal =
// recorder.Runner()` (any std::function<int(QDialog&)> seam).
class ModalRecorder {
public:
    struct Shown {
        QString className;  // the dialog's class, e.g. "QMessageBox" or "CAboutDlg"
        QString text;
        QString detail;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::StandardButtons buttons;
    };

    // The answer given to every dialog (a QMessageBox::StandardButton, or a dialog code).
    void SetAnswer(int answer) { this->answer = answer; }
    // The file chosen in every file dialog; an empty path cancels it.
    void SetFileAnswer(const QString& path) { fileAnswer = path; }
    std::function<int(QDialog&)> Runner();

    const std::vector<Shown>& All() const { return shown; }
    int Count() const { return static_cast<int>(shown.size()); }
    const Shown& Last() const { return shown.back(); }
    QStringList Texts() const;

private:
    std::vector<Shown> shown;
    int answer = QMessageBox::Ok;
    QString fileAnswer;
};

// What a simulated device has received (complete command lines) and what it stores now.
std::vector<std::string> CommandsReceived(PtyHost& device);
std::vector<std::string> StoredLines(PtyHost& device);

// True while some other open file of the device's line holds its lock (the program's open
// port does).
bool LineLockedByOther(const PtyHost& device);
