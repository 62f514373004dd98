// What the script session uses of the window: the channel, the log, the fields, and the boxes
// that its outcomes become.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "protocol/script_backup.h"
#include "protocol/settings_record.h"
#include "protocol/write_steps.h"
#include "ui/log_list_ctrl.h"
#include "ui/main_dialog.h"

void CVDMR30QuillboxDlg::OnWriteScript() {
    if (exchangeData(Exchange::FromControls)) {
        session.OnWriteScript(writeSource);
    }
}

// The step's values are the ones shown now; an ID that is too long keeps its last value.
bool CVDMR30QuillboxDlg::DialogWriteSource::FormatLine(int step, CommandLine& line) {
    static_cast<void>(dialog.exchangeData(Exchange::FromControls));
    return FieldsWriteSource::FormatLine(step, line);
}

void CVDMR30QuillboxDlg::OnSend() {
    static_cast<void>(exchangeData(Exchange::FromControls));
    session.OnSend(fields.commandText);
}

// The caption names what the next press does; the device's echo state is not tracked.
void CVDMR30QuillboxDlg::OnEcho() {
    if (!link.PortIsOpen()) {
        return;
    }
    const bool switchOff =
        EqualIgnoringCase(echoButton->text().toStdString(), LoadString(IDS_ECHO_OFF, language));
    echoButton->setText(Text(switchOff ? IDS_ECHO_ON : IDS_ECHO_OFF));
    session.OnEcho(switchOff);
}

void CVDMR30QuillboxDlg::AddLogLine(int direction, const char* text) {
    if (logList->AddLogLine(direction, text, fields.autoScroll != 0) == 0) {
        return;
    }
    // Shows the values that a listing has stored in the fields: once per drain for received
    // lines, at once for the lines an operation sends.
    exchangePending = true;
    if (!session.Servicing()) {
        ShowLoggedLines();
    }
}

void CVDMR30QuillboxDlg::ClearLog() {
    logList->ClearLog();
}

// A listed setting replaces its field, whatever was typed over the field meanwhile.
void CVDMR30QuillboxDlg::OnSettingListed(const char* line) {
    ApplySettingReply(line, *this);
    ForgetShownText(SettingIndexOf(line));
}

bool CVDMR30QuillboxDlg::KeepBackup(const std::vector<std::string>& listing,
                                    std::string& pathOrWhy) {
    std::string why;
    if (SaveScriptBackup(comPortCombo->currentText().toStdString(), listing, pathOrWhy, why)) {
        return true;
    }
    pathOrWhy = why;
    return false;
}

void CVDMR30QuillboxDlg::OnOutcome(const Outcome& outcome) {
    const auto withValue = [this](int id, const std::string& value) {
        return Text(id).replace(QStringLiteral("%s"), QString::fromStdString(value));
    };
    switch (outcome.kind) {
        case OutcomeKind::Done:
            if (outcome.operation == Operation::Write || outcome.operation == Operation::Erase) {
                ShowMessage(
                    Text(outcome.operation == Operation::Write ? IDS_ALL_WRITTEN : IDS_ALL_DELETED),
                    QMessageBox::Information);
            }
            break;
        case OutcomeKind::NoScript:
            ShowMessage(Text(IDS_NO_SCRIPT), QMessageBox::Critical);
            break;
        case OutcomeKind::Unwritable:
            ShowMessage(outcome.refusal == WriteRefusal::NoHostAddress
                            ? Text(IDS_ENTER_HOST_ADDRESS)
                        : outcome.refusal == WriteRefusal::NoHostPort
                            ? Text(IDS_ENTER_HOST_PORT)
                            : withValue(IDS_VALUE_TOO_LONG,
                                        LoadString(WriteStepCaption(outcome.step), language)),
                        QMessageBox::Critical);
            break;
        case OutcomeKind::Refused:
            ShowMessage(Text(IDS_RS232_ERROR), QMessageBox::Critical);
            break;
        case OutcomeKind::BackupFailed:
            ShowMessage(withValue(IDS_BACKUP_FAILED, outcome.backup), QMessageBox::Critical);
            break;
        case OutcomeKind::LinesNotKept:
            AddLogLine(LOG_RECV, withValue(IDS_LINES_NOT_KEPT, std::to_string(outcome.notKept))
                                     .toUtf8()
                                     .constData());
            break;
        default:
            // A lost port, a cut line: the channel has said so in its own box.
            break;
    }
}

void CVDMR30QuillboxDlg::OnPortLost() {
    // The lines before the loss have been handled; nothing after it belongs to the port.
    if (link.PortIsOpen()) {
        OnClosePort();
    }
}

void CVDMR30QuillboxDlg::ShowMessage(const QString& text, QMessageBox::Icon icon) {
    ShowLoggedLines();
    BoxContent box;
    box.caption = windowTitle;
    box.text = text;
    box.icon = icon;
    RunMessageBox(runModal, this, box);
}
