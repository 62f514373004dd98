#pragma once

#include <QBasicTimer>
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
#include "protocol/operation_host.h"
#include "protocol/receive_queue.h"
#include "protocol/receive_worker.h"
#include "protocol/script_operations.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

class CLogListCtrl;
class IpAddressEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The main window: the COM port row, the device's settings, the message log and the operation
// buttons. It owns the serial channel, the script operations and the receive worker, which it
// starts last when it is built and joins when it is destroyed.
//
// Every control carries its template id as its object name ("ctl1000" ... "ctl1037"); the
// labels and group boxes without an id are not named.
//
// Threads: everything here runs on the user-interface thread. The receive worker only appends
// to the receive queue (lines, a lost port, the channel's messages); the window drains it.
class CVDMR30QuillboxDlg : public QDialog, public OperationHost, public DeviceFields {
    Q_OBJECT

public:
    // `roots` tells discovery and the channel where devices are; tests pass fake trees.
    explicit CVDMR30QuillboxDlg(UiLanguage language = DetectUiLanguage(),
                                PortRoots roots = PortRoots(), QWidget* parent = nullptr);
    // Stops and joins the receive worker (setting stopWorker first if the exit did not); what
    // the queue still holds is dropped.
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

    // OperationHost.
    bool PortIsOpen() const override;
    int WritePort(const char* data, int length) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    int AddLogLine(int direction, const char* text) override;
    void ClearLog() override;
    bool ExchangeFromControls() override;
    DeviceFields& Fields() override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    std::string LoadString(int id) const override;
    std::string EchoCaption() const override;
    void SetEchoCaption(const std::string& caption) override;
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override;

    // DeviceFields.
    uint32_t GetAddress(AddressField field) const override;
    void SetAddress(AddressField field, uint32_t address) override;
    int GetSelection(SettingCombo combo) const override;
    void SetSelection(SettingCombo combo, int index) override;
    int ItemCount(SettingCombo combo) const override;
    std::string ItemText(SettingCombo combo, int index) const override;
    TextFields& Texts() override;

    // Handles everything the worker has queued, in order of arrival: each line through the
    // operations, then one exchange to the controls and one layout of the log for all of them.
    // Runs on each wake-up (paced), and first thing in every timer and button handler so that
    // nothing acts before a reply already received. While a box that the handling of a line
    // opened is open, it handles nothing more: the lines wait in the queue.
    void DrainReceived();

    CSCom& SerialPort() { return serialPort; }
    CLogListCtrl& LogList() { return *logList; }
    int PortCount() const { return portCount; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // The default command (Enter) does nothing; the cancel command asks before leaving.
    void accept() override;
    void reject() override;

private:
    static constexpr int kPortCapacity = 30;

    static constexpr int kStepTimers = 3;  // TIMER_STEP, TIMER_WRITE_STEP, TIMER_ERASE_STEP
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

    // Stops and joins the worker on every way out, a constructor that throws included.
    struct WorkerThread {
        CVDMR30QuillboxDlg& dialog;
        std::thread thread;
        ~WorkerThread() { dialog.StopWorker(); }
    };

    UiLanguage language;
    PortRoots roots;
    ComPortMap portMap;
    std::atomic<int> stopWorker{1};
    ReceiveQueue receiveQueue;
    ChannelMessages channelMessages{*this};
    CSCom serialPort;
    ScriptOperations operations;
    TextFields fields;
    QString windowTitle;
    QIcon appIcon;
    int portCount = 0;
    uint16_t portNumbers[kPortCapacity] = {};
    QBasicTimer stepTimers[kStepTimers];
    bool timerDue[kStepTimers] = {};      // fired, waiting for the drain that goes first
    QTimer drainTimer;                    // single-shot: the next paced drain
    std::atomic<bool> drainPaced{false};  // the drain timer runs: the worker need not wake us
    bool draining = false;
    bool drainAgain = false;       // a wake-up came while a box held the drain
    bool exchangePending = false;  // lines were logged; the controls show them at the drain's end
    ReceiveContext receiveContext;
    WorkerThread worker{*this, {}};

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
    void StartWorker();
    void StopWorker();
    void OnAbout();
    void DrainFirstOnButtons();
    void OnWake();
    void EndDrainPace();
    void HandleReceived(const ReceivedItem& item);
    void ShowLoggedLines();
    void RunDueTimers();
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
