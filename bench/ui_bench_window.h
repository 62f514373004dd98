#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "ui/main_dialog.h"

// The real main window over a private device tree, with the simulated device's port opened as
// the operator opens it: its entry chosen in the port list, then Open pressed. Every modal box
// is recorded and answered with OK at once, so that a bench never waits on one.
// User-interface thread only; needs a QApplication.
class BenchWindow {
public:
    explicit BenchWindow(const DeviceTree& tree);

    // Shows the window, waits for its first paint and opens COM BenchDevice::kComNumber, which
    // must be the link `linkPath`. False, with the reason on stderr, when any of it fails;
    // nothing else is ever opened.
    [[nodiscard]] bool ShowAndOpen(const std::string& linkPath);

    CVDMR30QuillboxDlg& Window() { return *window; }
    // The texts of the modal boxes shown so far.
    const QStringList& Messages() const { return messages; }
    // Told the text of every modal box as it is shown.
    std::function<void(const QString& text)> onMessage;

private:
    PortRoots roots;
    std::unique_ptr<CVDMR30QuillboxDlg> window;
    QStringList messages;
};
