#include "ui/main_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QThread>
#include <QTimerEvent>
#include <system_error>

#include "ui/about_dlg.h"
#include "ui/app_icon.h"
#include "ui/ip_address_edit.h"
#include "ui/log_list_ctrl.h"

namespace {

constexpr int kAboutCommand = 0x0010;
constexpr int kSysCommandMask = 0xFFF0;
constexpr uint32_t kDefaultHostAddress = 0x0A010001;  // 10.1.0.1
constexpr const char* kDefaultHostPort = "1470";

}  // namespace

CVDMR30QuillboxDlg::CVDMR30QuillboxDlg(UiLanguage language, PortRoots roots, QWidget* parent)
    : QDialog(parent),
      language(language),
      roots(std::move(roots)),
      portMap(this->roots),
      receiveQueue([this] {
          QMetaObject::invokeMethod(this, [this] { DrainReceived(); }, Qt::QueuedConnection);
      }),
      serialPort(portMap, *this),
      operations(*this),
      appIcon(AppIcon()),
      receiveContext{serialPort, stopWorker, receiveQueue} {
    CreateControls();
    OnInitDialog();
}

CVDMR30QuillboxDlg::~CVDMR30QuillboxDlg() {
    StopWorker();
}

void CVDMR30QuillboxDlg::OnInitDialog() {
    exchangeData(Exchange::ToControls);
    setWindowIcon(appIcon);
    windowTitle = Text(IDS_WINDOW_TITLE);
    setWindowTitle(windowTitle);
    SetCaptions();
    updateControlStates();
    hostAddressCtrl->SetAddress(kDefaultHostAddress);
    fields.hostPortText = kDefaultHostPort;
    baudRateCombo->setCurrentIndex(8);
    parityCombo->setCurrentIndex(0);
    dataBitsCombo->setCurrentIndex(1);
    stopBitsCombo->setCurrentIndex(0);
    flowControlCombo->setCurrentIndex(0);
    StartWorker();
    RefreshPortList();
    exchangeData(Exchange::ToControls);
    ConnectControls();
}

void CVDMR30QuillboxDlg::StartWorker() {
    stopWorker = 0;
    try {
        worker = std::thread([this] { ReceiveThreadProc(&receiveContext); });
    } catch (const std::system_error&) {
        // Without a worker the window still runs; it just never receives anything.
        stopWorker = 1;
    }
}

void CVDMR30QuillboxDlg::StopWorker() {
    stopWorker = 1;
    serialPort.Wake();
    if (worker.joinable()) {
        worker.join();
    }
}

QString CVDMR30QuillboxDlg::Text(int id) const {
    return QString::fromStdString(::LoadString(id, language));
}

void CVDMR30QuillboxDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter presses the push button that has the focus and nothing else.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            }
            event->accept();
            return;
        case Qt::Key_F1:
            OnSysCommand(kAboutCommand);
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CVDMR30QuillboxDlg::accept() {}

void CVDMR30QuillboxDlg::reject() {
    confirmExit();
}

void CVDMR30QuillboxDlg::confirmExit() {
    BoxContent question;
    question.caption = windowTitle;
    question.text = Text(IDS_CONFIRM_EXIT);
    question.icon = QMessageBox::Warning;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::Yes;
    if (RunMessageBox(runModal, this, question) != QMessageBox::Yes) {
        return;
    }
    operations.EndOperation();
    KillAllTimers();
    stopWorker = 1;
    serialPort.Wake();
    if (serialPort.portOpen.load() == 1) {
        OnClosePort();
    }
    done(0);
}

void CVDMR30QuillboxDlg::OnSysCommand(int command) {
    if ((command & kSysCommandMask) == kAboutCommand) {
        OnAbout();
    }
}

void CVDMR30QuillboxDlg::OnAbout() {
    CAboutDlg about(this);
    runModal(about);
}

void CVDMR30QuillboxDlg::SetTimer(int id, int milliseconds) {
    KillTimer(id);
    // Precise: a coarse timer may fire up to 5% early, which would shorten the device's pauses.
    const int qtId = startTimer(milliseconds, Qt::PreciseTimer);
    if (qtId != 0) {
        armedTimers[id] = qtId;
    }
}

void CVDMR30QuillboxDlg::KillTimer(int id) {
    const auto armed = armedTimers.find(id);
    if (armed != armedTimers.end()) {
        killTimer(armed->second);
        armedTimers.erase(armed);
    }
}

void CVDMR30QuillboxDlg::KillAllTimers() {
    while (!armedTimers.empty()) {
        KillTimer(armedTimers.begin()->first);
    }
}

void CVDMR30QuillboxDlg::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : armedTimers) {
        if (qtId == event->timerId()) {
            // The operation timers fire once, whether or not the operation kills them.
            const int fired = id;
            KillTimer(fired);
            operations.OnTimer(fired);
            return;
        }
    }
    QDialog::timerEvent(event);
}

bool CVDMR30QuillboxDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == comPortCombo && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        OnComPortFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void CVDMR30QuillboxDlg::DrainReceived() {
    receiveQueue.TakeAll(drained);
    for (const ReceivedItem& item : drained) {
        switch (item.kind) {
            case ReceivedItem::Kind::Line: operations.HandleLine(item.line.c_str()); break;
            case ReceivedItem::Kind::PortLost: OnClosePort(); break;
            case ReceivedItem::Kind::Message: PresentMessage(item.message); break;
            case ReceivedItem::Kind::Overflow: break;
        }
    }
}

void CVDMR30QuillboxDlg::ShowMessage(const UserMessage& message) {
    if (QThread::currentThread() == thread()) {
        PresentMessage(message);
        return;
    }
    receiveQueue.PushMessage(message);
}

void CVDMR30QuillboxDlg::PresentMessage(const UserMessage& message) {
    BoxContent box;
    box.caption = message.caption.empty() ? QCoreApplication::applicationName()
                                          : QString::fromStdString(message.caption);
    box.text = QString::fromStdString(message.text);
    box.detail = QString::fromStdString(message.detail);
    box.icon = ToBoxIcon(message.icon);
    RunMessageBox(runModal, this, box);
}
