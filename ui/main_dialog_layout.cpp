// The window as its template lays it out, in dialog units, with its captions and the lists of
// its drop-down boxes.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/dialog_units.h"
#include "ui/ip_address_edit.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"

namespace {

// A closed drop-down list is as high as a push button; the template's height is its list.
constexpr int kComboHeight = 13;

// Places a control of the template and names it after its id.
template <typename Widget>
Widget* Place(Widget* widget, int id, const QRect& geometry) {
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    widget->setGeometry(geometry);
    return widget;
}

QComboBox* MakeCombo(QWidget* parent, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->addItems(items);
    return combo;
}

QPushButton* MakeButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Enter never presses a button that does not have the focus.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, Qt::Alignment alignment) {
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(alignment | Qt::AlignVCenter);
    return edit;
}

// Drawn behind the controls it frames, so that it never takes their clicks.
QGroupBox* MakeGroup(QWidget* parent, const QRect& geometry) {
    auto* group = new QGroupBox(parent);
    group->setGeometry(geometry);
    group->setFocusPolicy(Qt::NoFocus);
    group->lower();
    return group;
}

}  // namespace

void CVDMR30QuillboxDlg::CreateControls() {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(531, 398));
    const Qt::Alignment right = Qt::AlignRight;
    const Qt::Alignment left = Qt::AlignLeft;

    // In tab order.
    // Filled by discovery as the window starts.
    comPortCombo = Place(new QComboBox(this), 1000, du.Rect(14, 19, 117, kComboHeight));
    portOpenButton = Place(MakeButton(this), 1001, du.Rect(132, 19, 59, 13));
    portCloseButton = Place(MakeButton(this), 1002, du.Rect(191, 19, 59, 13));
    hostAddressCtrl = Place(new IpAddressEdit(this), 1003, du.Rect(14, 58, 117, 14));
    hostPortEdit = Place(MakeEdit(this, right), 1004, du.Rect(14, 112, 117, 14));
    secondHostAddressCtrl = Place(new IpAddressEdit(this), 1005, du.Rect(14, 85, 117, 14));
    intervalEdit = Place(MakeEdit(this, right), 1031, du.Rect(14, 139, 117, 14));
    deviceIdEdit = Place(MakeEdit(this, left), 1033, du.Rect(14, 192, 117, 14));
    baudRateCombo = Place(MakeCombo(this, {"600", "1200", "2400", "4800", "9600", "19200", "38400",
                                           "57600", "115200"}),
                          1012, du.Rect(14, 218, 117, kComboHeight));
    parityCombo =
        Place(MakeCombo(this, {"NONE", "EVEN", "ODD"}), 1024, du.Rect(14, 243, 117, kComboHeight));
    dataBitsCombo = Place(MakeCombo(this, {"7", "8"}), 1026, du.Rect(14, 268, 117, kComboHeight));
    stopBitsCombo = Place(MakeCombo(this, {"1", "2"}), 1028, du.Rect(14, 295, 117, kComboHeight));
    flowControlCombo =
        Place(MakeCombo(this, {"NONE", "RTS/CTS"}), 1018, du.Rect(14, 320, 117, kComboHeight));
    writeButton = Place(MakeButton(this), 1010, du.Rect(235, 376, 64, 14));
    viewButton = Place(MakeButton(this), 1009, du.Rect(171, 376, 64, 14));
    eraseButton = Place(MakeButton(this), 1015, du.Rect(299, 376, 64, 14));
    autoScrollCheck = Place(new QCheckBox(this), 1013, du.Rect(266, 324, 95, 9));
    clearLogButton = Place(MakeButton(this), 1014, du.Rect(445, 320, 73, 14));
    commandEdit = Place(MakeEdit(this, left), 1007, du.Rect(59, 350, 197, 14));
    sendButton = Place(MakeButton(this), 1008, du.Rect(258, 350, 64, 15));
    echoButton = Place(MakeButton(this), 1017, du.Rect(106, 376, 64, 14));
    exitButton = Place(MakeButton(this), 1011, du.Rect(363, 376, 64, 14));
    logList = Place(new CLogListCtrl(this, language), 1006, du.Rect(266, 11, 252, 306));
    timeoutEdit = Place(MakeEdit(this, right), 1036, du.Rect(14, 166, 117, 14));
    CreateLabels();
}

void CVDMR30QuillboxDlg::CreateLabels() {
    const DialogUnits du(font());
    MakeGroup(this, du.Rect(7, 2, 247, 35));
    QGroupBox* settingsArea = MakeGroup(this, du.Rect(7, 38, 247, 302));
    MakeGroup(this, du.Rect(259, 2, 265, 338));
    MakeGroup(this, du.Rect(8, 341, 516, 29));
    const struct {
        int id;
        int stringId;
        int x, y, width, height;
    } labels[] = {
        {1016, IDS_COM_PORT, 14, 10, 73, 8},
        {1019, IDS_HOST_ADDRESS, 14, 48, 117, 10},
        {1020, IDS_HOST_PORT, 14, 102, 117, 10},
        {1021, IDS_BAUDRATE, 14, 208, 117, 8},
        {1023, IDS_COMMAND, 12, 352, 41, 8},
        {1022, IDS_FLOW_CONTROL, 14, 311, 117, 8},
        {1025, IDS_PARITY, 14, 234, 117, 8},
        {1027, IDS_DATA_BITS, 14, 259, 117, 8},
        {1029, IDS_STOP_BIT, 14, 284, 117, 8},
        {1030, IDS_SECOND_HOST_ADDRESS, 14, 75, 117, 10},
        {1032, IDS_CHECK_INTERVAL, 14, 129, 195, 10},
        {1034, IDS_DEVICE_ID, 14, 182, 117, 10},
        {1037, IDS_TIMEOUT, 14, 156, 195, 10},
    };
    for (const auto& label : labels) {
        auto* text = new QLabel(Text(label.stringId), this);
        text->setTextFormat(Qt::PlainText);
        const QRect geometry = du.Rect(label.x, label.y, label.width, label.height);
        // A click on a caption of the settings reaches the settings area behind it.
        text->setAttribute(Qt::WA_TransparentForMouseEvents,
                           settingsArea->geometry().contains(geometry));
        Place(text, label.id, geometry);
    }
    CreateScriptFileActions(settingsArea);
}

void CVDMR30QuillboxDlg::SetCaptions() {
    const struct {
        QAbstractButton* control;
        int stringId;
    } captions[] = {
        {portOpenButton, IDS_OPEN},
        {portCloseButton, IDS_CLOSE},
        {autoScrollCheck, IDS_AUTO_SCROLL},
        {clearLogButton, IDS_DELETE_LOG},
        {sendButton, IDS_SEND},
        {echoButton, IDS_ECHO_OFF},
        {viewButton, IDS_VIEW_SCRIPT},
        {writeButton, IDS_WRITE_SCRIPT},
        {eraseButton, IDS_DELETE_SCRIPT},
        {exitButton, IDS_EXIT},
    };
    for (const auto& caption : captions) {
        caption.control->setText(Text(caption.stringId));
    }
    logList->SetColumns(Text(IDS_LOG));
}

void CVDMR30QuillboxDlg::ConnectControls() {
    comPortCombo->installEventFilter(this);
    connect(portOpenButton, &QPushButton::clicked, this, [this] { OnOpenPort(); });
    connect(portCloseButton, &QPushButton::clicked, this, [this] { OnClosePort(); });
    const auto press = [this](QPushButton* button, void (CVDMR30QuillboxDlg::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            (this->*handler)();
            ArmDeadline();
        });
    };
    press(viewButton, &CVDMR30QuillboxDlg::OnViewScript);
    press(writeButton, &CVDMR30QuillboxDlg::OnWriteScript);
    press(eraseButton, &CVDMR30QuillboxDlg::OnEraseAllScript);
    press(sendButton, &CVDMR30QuillboxDlg::OnSend);
    press(echoButton, &CVDMR30QuillboxDlg::OnEcho);
    connect(deviceIdEdit, &QLineEdit::textEdited, this, [this] { LimitDeviceId(); });
    connect(autoScrollCheck, &QCheckBox::clicked, this,
            [this] { static_cast<void>(exchangeData(Exchange::FromControls)); });
    connect(clearLogButton, &QPushButton::clicked, this, [this] { ClearLog(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { confirmExit(); });
}
