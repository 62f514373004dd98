#include "ui_test_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFileDialog>
#include <QPushButton>
#include <cerrno>

std::function<int(QDialog&)> ModalRecorder::Runner() {
    return [this](QDialog& dialog) {
        Shown entry;
        entry.className = QString::fromLatin1(dialog.metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            entry.text = box->text();
            entry.detail = box->informativeText();
            entry.icon = box->icon();
            entry.buttons = box->standardButtons();
            if (box->defaultButton() != nullptr) {
                entry.defaultButton = box->standardButton(box->defaultButton());
            }
        }
        shown.push_back(entry);
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(fileAnswer);
            return fileAnswer.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted);
        }
        return answer;
    };
}

QStringList ModalRecorder::Texts() const {
    QStringList texts;
    for (const Shown& entry : shown) {
        texts << entry.text;
    }
    return texts;
}

std::vector<std::string> CommandsReceived(PtyHost& device) {
    std::vector<std::string> commands;
    device.WithModel([&](DeviceModel& model) { commands = model.CommandLog(); });
    return commands;
}

std::vector<std::string> StoredLines(PtyHost& device) {
    std::vector<std::string> lines;
    device.WithModel([&](DeviceModel& model) { lines = model.StoredLines(); });
    return lines;
}

bool LineLockedByOther(const PtyHost& device) {
    const int fd = open(device.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EBUSY;  // held for exclusive use
    }
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return locked;
}
