// What the script operations use of the window: the channel, the log, messages and captions.
#include <QComboBox>
#include <QPushButton>

#include "protocol/script_backup.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"

bool CVDMR30QuillboxDlg::PortIsOpen() const {
    return serialPort.portOpen.load() == 1;
}

int CVDMR30QuillboxDlg::WritePort(const char* data, int length) {
    return serialPort.WritePort(data, length);
}

int CVDMR30QuillboxDlg::AddLogLine(int direction, const char* text) {
    if (logList->AddLogLine(direction, text, fields.autoScroll != 0) == 0) {
        return 0;
    }
    // Shows the values that a listing has stored in the fields: once per drain for received
    // lines, at once for the lines an operation sends.
    exchangePending = true;
    if (!draining) {
        ShowLoggedLines();
    }
    return 1;
}

void CVDMR30QuillboxDlg::ClearLog() {
    logList->ClearLog();
}

void CVDMR30QuillboxDlg::ShowMessage(const std::string& text, MessageIcon icon) {
    ShowLoggedLines();
    BoxContent box;
    box.caption = windowTitle;
    box.text = QString::fromStdString(text);
    box.icon = ToBoxIcon(icon);
    RunMessageBox(runModal, this, box);
}

std::string CVDMR30QuillboxDlg::LoadString(int id) const {
    return ::LoadString(id, language);
}

std::string CVDMR30QuillboxDlg::EchoCaption() const {
    return echoButton->text().toStdString();
}

void CVDMR30QuillboxDlg::SetEchoCaption(const std::string& caption) {
    echoButton->setText(QString::fromStdString(caption));
}

bool CVDMR30QuillboxDlg::KeepBackup(const std::vector<std::string>& lines, std::string& why) {
    std::string savedPath;
    return SaveScriptBackup(comPortCombo->currentText().toStdString(), lines, savedPath, why);
}
