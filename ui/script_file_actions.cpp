// Script files in the window: Open Script fills the settings from a file, Save Script As saves
// them as one. Both are offered by their keys and by the settings area's context menu.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QStringList>

#include "protocol/script_file.h"
#include "ui/ip_address_edit.h"
#include "ui/main_dialog.h"

namespace {

// Faults listed in the box; the rest are left out, so the box stays on the screen.
constexpr size_t kMaxListedFaults = 20;

// The faults one a line, the list cut short after kMaxListedFaults.
QString FaultList(const std::vector<ScriptFileFault>& faults, const QString& lineFormat) {
    const QByteArray format = lineFormat.toUtf8();
    QStringList lines;
    for (size_t i = 0; i < faults.size() && i <= kMaxListedFaults; ++i) {
        lines << (i == kMaxListedFaults ? QStringLiteral("...")
                                        : QString::asprintf(format.constData(), faults[i].line,
                                                            faults[i].reason.c_str()));
    }
    return lines.join('\n');
}

}  // namespace

void CVDMR30QuillboxDlg::CreateScriptFileActions(QWidget* settingsArea) {
    auto* open = new QAction(Text(IDS_OPEN_SCRIPT), this);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, [this] { OnOpenScript(); });
    auto* save = new QAction(Text(IDS_SAVE_SCRIPT_AS), this);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] { OnSaveScript(); });
    // On the window for the keys, on the settings area for its menu.
    addActions({open, save});
    settingsArea->addActions({open, save});
    settingsArea->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString CVDMR30QuillboxDlg::ChooseScriptFile(bool saving) {
    QFileDialog dialog(this, Text(saving ? IDS_SAVE_SCRIPT_AS : IDS_OPEN_SCRIPT), QString(),
                       Text(IDS_SCRIPT_FILES));
    if (saving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const bool chosen = runModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

void CVDMR30QuillboxDlg::ShowFileError(int stringId, const QString& path, const QString& detail) {
    BoxContent box;
    box.caption = windowTitle;
    box.text = QString::asprintf(Text(stringId).toUtf8().constData(), path.toUtf8().constData());
    box.detail = detail;
    box.icon = QMessageBox::Critical;
    RunMessageBox(runModal, this, box);
}

void CVDMR30QuillboxDlg::OnOpenScript() {
    const QString path = ChooseScriptFile(false);
    if (path.isEmpty()) {
        return;
    }
    std::string bytes;
    const std::string why = ReadScriptBytes(QFile::encodeName(path).toStdString(), bytes, language);
    if (!why.empty()) {
        ShowFileError(IDS_SCRIPT_READ_FAILED, path, QString::fromStdString(why));
        return;
    }
    DeviceScript script;
    std::vector<ScriptFileFault> faults;
    if (!ReadScriptFile(bytes, script, faults, language)) {
        ShowFileError(IDS_SCRIPT_FAULTS, path, FaultList(faults, Text(IDS_SCRIPT_FAULT_LINE)));
        return;
    }
    // The file's values win: a View still listing would put the device's back over them.
    if (session.Viewing()) {
        session.EndOperation();
    }
    // What the operator typed and no exchange took over yet stays where the file sets nothing.
    static_cast<void>(exchangeData(Exchange::FromControls));
    // The settings that Write Script leaves out when empty are empty unless the file gives
    // them, so that a Write then stores what the file holds and nothing else.
    fields.intervalText.clear();
    fields.timeoutText.clear();
    fields.deviceIdText.clear();
    secondHostAddressCtrl->ClearAddress();
    ApplyScript(script, *this);
    exchangeData(Exchange::ToControls);
}

void CVDMR30QuillboxDlg::OnSaveScript() {
    // The file holds what Write Script would store; an ID too long for it is refused first.
    if (!exchangeData(Exchange::FromControls)) {
        return;
    }
    const QString path = ChooseScriptFile(true);
    if (path.isEmpty()) {
        return;
    }
    const std::string script = FormatScriptFile(*this);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(script.data(), qint64(script.size())) != qint64(script.size()) ||
        !file.commit()) {
        ShowFileError(IDS_SCRIPT_SAVE_FAILED, path, file.errorString());
    }
}
