#include "bench/ui_bench_window.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "link/com_port_map.h"

namespace {

constexpr int kActivationPasses = 50;
constexpr int kActivationWaitMs = 20;

// Notes the first paint of the watched window.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

BenchWindow::BenchWindow(const DeviceTree& tree)
    : roots(tree.Roots()),
      window(std::make_unique<CVDMR30QuillboxDlg>(UiLanguage::English, roots)) {
    window->runModal = [this](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        messages << (box != nullptr ? box->text() : dialog.windowTitle());
        if (onMessage) {
            onMessage(messages.back());
        }
        return int(QMessageBox::Ok);
    };
}

bool BenchWindow::ShowAndOpen(const std::string& linkPath) {
    const int number = BenchDevice::kComNumber;
    // Only the simulated device's link may ever be opened.
    if (ComPortMap(roots).DevicePath(number) != linkPath) {
        std::fprintf(stderr, "COM%d is not the simulated device\n", number);
        return false;
    }
    FirstPaint firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    window->activateWindow();
    while (!firstPaint.painted) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    window->removeEventFilter(&firstPaint);
    // Active as on the operator's desktop, so that the focused control behaves as there.
    for (int pass = 0; pass < kActivationPasses && !window->isActiveWindow(); ++pass) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, kActivationWaitMs);
    }

    auto* ports = window->findChild<QComboBox*>(QStringLiteral("ctl1000"));
    auto* open = window->findChild<QPushButton*>(QStringLiteral("ctl1001"));
    const int entry = ports->findText(QStringLiteral("COM%1").arg(number));
    if (entry < 0) {
        std::fprintf(stderr, "COM%d is not offered\n", number);
        return false;
    }
    ports->setCurrentIndex(entry);
    open->click();
    QApplication::processEvents();
    if (window->SerialPort().portOpen.load() != 1 ||
        window->SerialPort().DevicePath() != linkPath) {
        std::fprintf(stderr, "COM%d did not open: %s\n", number,
                     qPrintable(messages.join(QStringLiteral("; "))));
        return false;
    }
    return true;
}
