#include "app/acceptance_flag.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kOrganisation = "TavrelSystems";
const char* const kKey = "SETTINGS/AGREEMENT";

}  // namespace

AcceptanceFlag::AcceptanceFlag(const QString& applicationName)
    : applicationName(applicationName) {}

int AcceptanceFlag::Read() const {
    const QSettings settings(kOrganisation, applicationName);
    bool isNumber = false;
    const int value = settings.value(kKey, 0).toInt(&isNumber);
    return isNumber ? value : 0;
}

void AcceptanceFlag::WriteAccepted() const {
    QSettings settings(kOrganisation, applicationName);
    settings.setValue(kKey, 1);
    settings.sync();
}

QString ApplicationNameFromExecutable(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}
