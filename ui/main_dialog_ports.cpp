// The COM port list, opening and closing the port, and the controls that follow the port.
#include <QComboBox>
#include <QPushButton>
#include <QTextDocument>

#include "link/com_port_name.h"
#include "link/port_discovery.h"
#include "ui/main_dialog.h"

namespace {

constexpr int kMaxOfferedPort = 30;
constexpr int kMaxPortTextLength = 10;

}  // namespace

void CVDMR30QuillboxDlg::RefreshPortList() {
    portCount = EnumComPorts(portNumbers, kPortCapacity, roots);
    comPortCombo->clear();
    if (portCount <= 0) {
        comPortCombo->setEnabled(false);
        return;
    }
    for (int i = 0; i < portCount; ++i) {
        const uint16_t number = portNumbers[i];
        if (number <= kMaxOfferedPort) {
            comPortCombo->addItem(QString::fromStdString(ComPortName(number)));
            // The USB product string is the maker's: shown as text, never as markup.
            comPortCombo->setItemData(
                comPortCombo->count() - 1,
                Qt::convertFromPlainText(QString::fromStdString(DescribeComPort(number, roots)),
                                         Qt::WhiteSpaceNoWrap),
                Qt::ToolTipRole);
        }
    }
    comPortCombo->setCurrentIndex(0);
}

void CVDMR30QuillboxDlg::OnComPortFocus() {
    const int selected = comPortCombo->currentIndex();
    RefreshPortList();
    if (selected < comPortCombo->count()) {
        comPortCombo->setCurrentIndex(selected);
    }
}

void CVDMR30QuillboxDlg::updateControlStates() {
    const bool open = link.PortIsOpen();
    portOpenButton->setEnabled(!open);
    portCloseButton->setEnabled(open);
    sendButton->setEnabled(open);
    viewButton->setEnabled(open);
    eraseButton->setEnabled(open);
    writeButton->setEnabled(open);
    echoButton->setEnabled(open);
    comPortCombo->setEnabled(!open);
}

void CVDMR30QuillboxDlg::OnOpenPort() {
    // The port open uses none of the values; the exchange only takes them over.
    static_cast<void>(exchangeData(Exchange::FromControls));
    const std::string name = comPortCombo->currentText().left(kMaxPortTextLength).toStdString();
    const uint16_t portNumber = ParseComPortName(name);
    // The port always runs at the settings' defaults, 115200 8N1 without flow control; the
    // window's baud rate and framing fields are the device's own settings. A failure has been
    // shown.
    static_cast<void>(link.Open(portNumber));
    updateControlStates();
}

// Whatever operation runs ends with the port, and lines still queued for it are dropped: they
// belong to no operation any more.
void CVDMR30QuillboxDlg::OnClosePort() {
    session.EndOperation();
    ArmDeadline();
    link.Close();
    updateControlStates();
}
