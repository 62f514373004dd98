#pragma once

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <string>
#include <vector>

#include "protocol/settings_record.h"
#include "tests/unit/link/temp_tree.h"
#include "ui/ip_address_edit.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"
#include "ui_test_support.h"

// How long a test waits for the device or the window before it fails.
constexpr int kTimeoutMs = 30000;

// The main window over simulated devices only, with every modal box answered by a recorder.
// Add the devices first, then Create the window (discovery runs while it is built). Backups
// and files go to the fixture's private folder, which also holds empty fake /sys and /dev
// trees and the links folder in which the devices appear as COM ports: discovery reaches no
// real serial device.
class MainWindowFixture {
public:
    MainWindowFixture() {
        for (const char* name : {"sys/class/tty", "dev"}) {
            std::filesystem::create_directories(tree.Path(name));
        }
        qputenv("XDG_DATA_HOME", FilePath(QStringLiteral("data")).toUtf8());
    }

    QString FilePath(const QString& name) const {
        return QString::fromStdString(tree.Path(name.toStdString()));
    }

    // Starts a simulated VDM-R30 with `storedLines` and links it as COM `comNumber`; nullptr
    // (with a warning that says why) when the pseudo-terminal cannot be made.
    PtyHost* AddDevice(int comNumber, std::vector<std::string> storedLines = {}) {
        auto host = std::make_unique<PtyHost>(DeviceModel(std::move(storedLines)));
        std::string error;
        if (!host->Start(&error) ||
            !host->LinkAsCom(comNumber, tree.Path(TempTree::kLinks), &error)) {
            qWarning("simulated device COM%d: %s", comNumber, error.c_str());
            return nullptr;
        }
        return devices.emplace_back(std::move(host)).get();
    }

    CVDMR30QuillboxDlg& Create(UiLanguage language = UiLanguage::English) {
        window = std::make_unique<CVDMR30QuillboxDlg>(language, tree.Roots());
        window->runModal = boxes.Runner();
        return *window;
    }

    // One device on COM `comNumber`, the window shown and the device's port open; nullptr when
    // any of that fails.
    PtyHost* OpenOn(int comNumber, std::vector<std::string> storedLines = {},
                    UiLanguage language = UiLanguage::English) {
        PtyHost* device = AddDevice(comNumber, std::move(storedLines));
        Create(language);
        return device != nullptr && Show() && Open() ? device : nullptr;
    }

    // Writes `bytes` to the file `name` in the private folder, its folders made; its path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const {
        tree.WriteFile(name.toStdString(), bytes.toStdString());
        return FilePath(name);
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

    // Types `text` key by key, Hangul included.
    static void Type(QWidget* widget, const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void Click(int id) const { Control<QPushButton>(id)->click(); }

    // Opens the selected port with the Open button; true when the window shows it open.
    [[nodiscard]] bool Open() const {
        Click(1001);
        return ShowsPortOpen();
    }

    // The buttons follow the port: the device buttons and Close only while it is open, the
    // port list and Open only while it is closed.
    bool ShowsPortOpen() const { return ShowsPort(true); }
    bool ShowsPortClosed() const { return ShowsPort(false); }

    // The log as "tag<TAB>text" per row.
    QStringList LogRows() const {
        const QAbstractItemModel& model = window->LogList().Model();
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows << model.index(row, 0).data().toString() + '\t' +
                        model.index(row, 1).data().toString();
        }
        return rows;
    }
    int LogCount() const { return window->LogList().Model().rowCount(); }

    // The eleven device settings as the window shows them, in template order: host address,
    // host port, second host address (blank as ""), interval, timeout, ID, then the texts of
    // the baud rate, parity, data bits, stop bits and flow control lists.
    QStringList ShownSettings() const {
        QStringList shown;
        for (int id : kSettingIds) {
            if (auto* address = Control<IpAddressEdit>(id)) {
                shown << (address->IsBlank()
                              ? QString()
                              : QString::fromStdString(FormatDotted(address->GetAddress())));
            } else if (auto* edit = Control<QLineEdit>(id)) {
                shown << edit->text();
            } else {
                shown << Control<QComboBox>(id)->currentText();
            }
        }
        return shown;
    }
    // Puts `values` (as ShownSettings gives them) into the controls, as the operator would.
    void EnterSettings(const QStringList& values) const {
        for (int i = 0; i < values.size(); ++i) {
            if (auto* address = Control<IpAddressEdit>(kSettingIds[i])) {
                const QStringList parts = values[i].split('.');
                for (int part = 0; part < 4; ++part) {
                    address->Part(part)->setText(parts.value(part));
                }
            } else if (auto* edit = Control<QLineEdit>(kSettingIds[i])) {
                edit->clear();
                Type(edit, values[i]);
            } else {
                auto* combo = Control<QComboBox>(kSettingIds[i]);
                combo->setCurrentIndex(combo->findText(values[i]));
            }
        }
    }

    // True when no operation step is pending.
    bool NoStepPending() const { return !Timer("stepTimer")->isActive(); }
    // The window's timers: "stepTimer" (the next step) and "drainTimer" (the next paced drain).
    QTimer* Timer(const char* name) const { return window->findChild<QTimer*>(name); }

    TempTree tree;
    std::vector<std::unique_ptr<PtyHost>> devices;
    ModalRecorder boxes;
    std::unique_ptr<CVDMR30QuillboxDlg> window;

private:
    static constexpr int kSettingIds[] = {1003, 1004, 1005, 1031, 1036, 1033,
                                          1012, 1024, 1026, 1028, 1018};

    bool ShowsPort(bool open) const {
        for (int id : {1002, 1008, 1009, 1010, 1015, 1017}) {
            if (Control(id)->isEnabled() != open) {
                return false;
            }
        }
        return Control(1000)->isEnabled() != open && Control(1001)->isEnabled() != open;
    }
};
