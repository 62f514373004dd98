#include "ui_test_support.h"

#include <QDir>
#include <QPushButton>
#include <algorithm>

std::function<int(QDialog&)> ModalRecorder::Runner() {
    return [this](QDialog& dialog) {
        Shown entry;
        entry.className = QString::fromLatin1(dialog.metaObject()->className());
        entry.caption = dialog.windowTitle();
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

SimulatedPorts::SimulatedPorts() {
    const QString base = folder.path();
    QDir(base).mkpath(QStringLiteral("sys/class/tty"));
    QDir(base).mkpath(QStringLiteral("dev"));
    QDir(base).mkpath(QStringLiteral("ports"));
    roots.sysRoot = (base + QStringLiteral("/sys")).toStdString();
    roots.devRoot = (base + QStringLiteral("/dev")).toStdString();
    roots.linksDir = (base + QStringLiteral("/ports")).toStdString();
}

PtyHost* SimulatedPorts::Add(int comNumber, std::vector<std::string> storedLines,
                             std::string* error) {
    auto host = std::make_unique<PtyHost>(DeviceModel(std::move(storedLines)));
    if (!host->Start(error) || !host->LinkAsCom(comNumber, roots.linksDir, error)) {
        return nullptr;
    }
    hosts.emplace_back(comNumber, std::move(host));
    return hosts.back().second.get();
}

void SimulatedPorts::Remove(int comNumber) {
    hosts.erase(std::remove_if(hosts.begin(), hosts.end(),
                               [comNumber](const auto& entry) { return entry.first == comNumber; }),
                hosts.end());
}
