#include "app/acceptance_flag.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kOrganisation = "TavrelSystems";
const char* const kKey = "SETTINGS/AGREEMENT";

}  // namespace

AcceptanceFlag::AcceptanceFlag(const QString& applicationName) : applicationName(applicationName) {}

uint32_t AcceptanceFlag::Read() const {
    const QSettings settings(kOrganisation, applicationName);
    bool isNumber = false;
    const qlonglong value = settings.value(kKey, 0).toLongLong(&isNumber);
    if (!isNumber) {
        return 0;
    }
    return value >= INT32_MIN && value <= UINT32_MAX ? static_cast<uint32_t>(value) : UINT32_MAX;
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
