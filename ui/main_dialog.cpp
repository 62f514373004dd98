#include "ui/main_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <climits>

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
      link(portMap, channelMessages,
           [this] {
               if (!drainPaced.load()) {
                   QMetaObject::invokeMethod(
                       this, [this] { OnWake(); }, Qt::QueuedConnection);
               }
           }),
      session(*this, link, link.Queue()),
      appIcon(AppIcon()),
      stepTimer(this),
      drainTimer(this) {
    // Named, so that a test can tell an operation's pending step from a paced drain.
    stepTimer.setObjectName(QStringLiteral("stepTimer"));
    drainTimer.setObjectName(QStringLiteral("drainTimer"));
    drainTimer.setSingleShot(true);
    connect(&drainTimer, &QTimer::timeout, this, [this] { DrainReceived(); });
    // Precise: a coarse timer may fire up to 5% early, which would shorten the device's pauses.
    stepTimer.setSingleShot(true);
    stepTimer.setTimerType(Qt::PreciseTimer);
    connect(&stepTimer, &QTimer::timeout, this, [this] { DrainReceived(); });
    CreateControls();
    OnInitDialog();
    link.Start();
}

CVDMR30QuillboxDlg::~CVDMR30QuillboxDlg() {
    link.Stop();
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
    RefreshPortList();
    exchangeData(Exchange::ToControls);
    DrainFirstOnButtons();
    ConnectControls();
}

// Connected before the buttons' own handlers, so it runs first on every click.
void CVDMR30QuillboxDlg::DrainFirstOnButtons() {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        connect(button, &QPushButton::clicked, this, [this] { DrainReceived(); });
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
    session.EndOperation();
    ArmDeadline();
    link.RequestStop();
    if (link.PortIsOpen()) {
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

bool CVDMR30QuillboxDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == comPortCombo && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        OnComPortFocus();
    }
    return QDialog::eventFilter(watched, event);
}

// The worker wakes the window only when the queue was empty, and not at all while a paced
// drain is due: while lines stream, the pace timer alone wakes the window, once per drain.
void CVDMR30QuillboxDlg::OnWake() {
    if (!drainTimer.isActive()) {
        DrainReceived();
    }
}

void CVDMR30QuillboxDlg::DrainReceived() {
    if (session.Servicing()) {
        session.Service();  // notes only that more is waiting
        return;
    }
    drainTimer.stop();
    drainPaced.store(false);
    const size_t handled = session.Service();
    ShowLoggedLines();
    // Only drains that handled something set the pace: one that a timer or a button began on
    // an empty queue must not hold back the reply to what they send, nor may a running
    // operation's reply wait: its next step waits for it.
    if (handled > 0 && !session.Busy()) {
        drainTimer.start(kDrainPaceMs);
        drainPaced.store(true);
    }
    ArmDeadline();
}

void CVDMR30QuillboxDlg::ArmDeadline() {
    const Millis due = session.NextDeadline();
    if (due == kNoDeadline) {
        stepTimer.stop();
    } else {
        stepTimer.start(static_cast<int>(std::clamp<Millis>(due - Now(), 0, INT_MAX)));
    }
    // An operation that starts while a paced drain is due has its replies handled as they come.
    if (session.Busy() && drainPaced.exchange(false)) {
        drainTimer.stop();
        QMetaObject::invokeMethod(
            this, [this] { OnWake(); }, Qt::QueuedConnection);
    }
}

// The fields that the handled lines filled go to the controls once for the whole drain.
void CVDMR30QuillboxDlg::ShowLoggedLines() {
    if (exchangePending) {
        exchangePending = false;
        exchangeData(Exchange::ToControls);
    }
}

void CVDMR30QuillboxDlg::ChannelMessages::ShowMessage(const UserMessage& message) {
    if (QThread::currentThread() == dialog.thread()) {
        dialog.PresentMessage(message);
        return;
    }
    dialog.link.Queue().PushMessage(message);
}

void CVDMR30QuillboxDlg::PresentMessage(const UserMessage& message) {
    ShowLoggedLines();
    BoxContent box;
    box.caption = message.caption.empty() ? QCoreApplication::applicationName()
                                          : QString::fromStdString(message.caption);
    box.text = QString::fromStdString(message.text);
    box.detail = QString::fromStdString(message.detail);
    box.icon = ToBoxIcon(message.icon);
    RunMessageBox(runModal, this, box);
}
