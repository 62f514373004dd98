#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "link/user_message.h"
#include "protocol/device_fields.h"
#include "protocol/device_link.h"
#include "protocol/script_session.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

class CLogListCtrl;
class IpAddressEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The main window: the COM port row, the device's settings, the message log and the operation
// buttons. It owns the serial channel, the script session and the receive worker, which it
// starts last when it is built and joins when it is destroyed. The session's outcomes become
// its message boxes; its fields are one view of the device's script.
//
// Every control carries its template id as its object name ("ctl1000" ... "ctl1037"); the
// labels and group boxes without an id are not named.
//
// Threads: everything here runs on the user-interface thread. The receive worker only appends
// to the receive queue (lines, a lost port, the channel's messages); the window drains it.
class CVDMR30QuillboxDlg : public QDialog, public SessionHost, public DeviceFields {
    Q_OBJECT

public:
    // `roots` tells discovery and the channel where devices are; tests pass fake trees.
    explicit CVDMR30QuillboxDlg(UiLanguage language = DetectUiLanguage(),
                                PortRoots roots = PortRoots(), QWidget* parent = nullptr);
    // Stops and joins the receive worker; what the queue still holds is dropped.
    ~CVDMR30QuillboxDlg() override;
    CVDMR30QuillboxDlg(const CVDMR30QuillboxDlg&) = delete;
    CVDMR30QuillboxDlg& operator=(const CVDMR30QuillboxDlg&) = delete;

    enum class Exchange { ToControls, FromControls };
    // Copies the text fields and the auto-scroll flag to or from their controls. From the
    // controls, an ID of more than 8 characters shows a warning, selects the ID and fails.
    bool exchangeData(Exchange direction);

    // COM port list and port state.
    void RefreshPortList();
    void OnComPortFocus();
    void updateControlStates();
    void OnOpenPort();
    void OnClosePort();

    // Asks whether to exit; on Yes stops the timers and the worker, closes the port and ends
    // the dialog with 0. Blocks while the question is open.
    void confirmExit();
    // System commands: 0x0010 to 0x001F open the About box; others are the platform's.
    void OnSysCommand(int command);

    // Runs every modal box and dialog of this window (message boxes, About). Replaceable so
    // that tests can answer them; it runs on the user-interface thread.
    ModalRunner runModal = ExecModal();

    // SessionHost.
    Millis Now() const override { return MonotonicMillis(); }
    void AddLogLine(int direction, const char* text) override;
    void ClearLog() override;
    void OnSettingListed(const char* line) override;
    bool KeepBackup(const std::vector<std::string>& listing, std::string& pathOrWhy) override;
    void OnOutcome(const Outcome& outcome) override;
    void OnPortLost() override;
    void ShowChannelMessage(const UserMessage& message) override { PresentMessage(message); }

    // DeviceFields.
    uint32_t GetAddress(AddressField field) const override;
    void SetAddress(AddressField field, uint32_t address) override;
    int GetSelection(SettingCombo combo) const override;
    void SetSelection(SettingCombo combo, int index) override;
    int ItemCount(SettingCombo combo) const override;
    std::string ItemText(SettingCombo combo, int index) const override;
    TextFields& Texts() override;

    // Hands everything the worker has queued to the session, which handles it in order, then
    // shows the fields once for all of it. Runs on each wake-up (paced while lines stream and
    // nothing waits for them), on the session's deadline and first thing in every button
    // handler. While a box that the handling of a line opened is open, it handles nothing more.
    void DrainReceived();

    CSCom& SerialPort() { return link.Channel(); }
    CLogListCtrl& LogList() { return *logList; }
    int PortCount() const { return portCount; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // The default command (Enter) does nothing; the cancel command asks before leaving.
    void accept() override;
    void reject() override;

private:
    static constexpr int kPortCapacity = 30;

    // While lines stream, drains are this far apart (the log's frames follow them); the first
    // line after a quiet spell is handled at once.
    static constexpr int kDrainPaceMs = 250;

    // The channel's messages: shown at once on the user-interface thread, queued in order with
    // the lines when the worker raises them.
    class ChannelMessages : public MessageSink {
    public:
        explicit ChannelMessages(CVDMR30QuillboxDlg& dialog) : dialog(dialog) {}
        void ShowMessage(const UserMessage& message) override;

    private:
        CVDMR30QuillboxDlg& dialog;
    };

    UiLanguage language;
    PortRoots roots;
    ComPortMap portMap;
    ChannelMessages channelMessages{*this};
    DeviceLink link;
    TextFields fields;
    // The fields, taken from the controls at every write step.
    class DialogWriteSource : public FieldsWriteSource {
    public:
        explicit DialogWriteSource(CVDMR30QuillboxDlg& dialog)
            : FieldsWriteSource(dialog), dialog(dialog) {}
        bool FormatLine(int step, CommandLine& line) override;

    private:
        CVDMR30QuillboxDlg& dialog;
    };
    DialogWriteSource writeSource{*this};
    ScriptSession session;
    QString windowTitle;
    QIcon appIcon;
    int portCount = 0;
    uint16_t portNumbers[kPortCapacity] = {};
    QTimer stepTimer;                     // single-shot, precise: the session's next deadline
    QTimer drainTimer;                    // single-shot: the next paced drain
    std::atomic<bool> drainPaced{false};  // the drain timer runs: the worker need not wake us
    bool exchangePending = false;  // lines were logged; the controls show them at the drain's end

    // Controls, created in tab order by CreateControls.
    QComboBox* comPortCombo = nullptr;
    QPushButton* portOpenButton = nullptr;
    QPushButton* portCloseButton = nullptr;
    IpAddressEdit* hostAddressCtrl = nullptr;
    QLineEdit* hostPortEdit = nullptr;
    IpAddressEdit* secondHostAddressCtrl = nullptr;
    QLineEdit* intervalEdit = nullptr;
    QLineEdit* deviceIdEdit = nullptr;
    QComboBox* baudRateCombo = nullptr;
    QComboBox* parityCombo = nullptr;
    QComboBox* dataBitsCombo = nullptr;
    QComboBox* stopBitsCombo = nullptr;
    QComboBox* flowControlCombo = nullptr;
    QPushButton* writeButton = nullptr;
    QPushButton* viewButton = nullptr;
    QPushButton* eraseButton = nullptr;
    QCheckBox* autoScrollCheck = nullptr;
    QPushButton* clearLogButton = nullptr;
    QLineEdit* commandEdit = nullptr;
    QPushButton* sendButton = nullptr;
    QPushButton* echoButton = nullptr;
    QPushButton* exitButton = nullptr;
    CLogListCtrl* logList = nullptr;
    QLineEdit* timeoutEdit = nullptr;

    // main_dialog_layout.cpp: the controls of the template, their captions and start values.
    void CreateControls();
    void CreateLabels();
    void SetCaptions();
    void ConnectControls();
    // main_dialog_exchange.cpp
    void LimitDeviceId();
    // main_dialog.cpp
    void OnInitDialog();
    void OnAbout();
    void DrainFirstOnButtons();
    void OnWake();
    // Sets the step timer to the session's deadline; an operation under way ends the pacing.
    void ArmDeadline();
    void OnViewScript() { session.OnViewScript(); }
    void OnWriteScript();
    void OnEraseAllScript() { session.OnEraseAllScript(); }
    void OnSend();
    void OnEcho();
    void ShowLoggedLines();
    void ForgetShownText(int setting);
    void ShowMessage(const QString& text, QMessageBox::Icon icon);
    QString Text(int id) const;
    QComboBox* Combo(SettingCombo combo) const;
    IpAddressEdit* AddressCtrl(AddressField field) const;
    void PresentMessage(const UserMessage& message);

    // script_file_actions.cpp: Open Script (Ctrl+O) and Save Script As (Ctrl+S), offered also
    // by the context menu of the settings area. File dialogs run through runModal.
    void CreateScriptFileActions(QWidget* settingsArea);
    void OnOpenScript();
    void OnSaveScript();
    QString ChooseScriptFile(bool saving);
    void ShowFileError(int stringId, const QString& path, const QString& detail);
};
