#pragma once

#include <QString>

#include <cstdint>

// The one value the program keeps between runs: whether the disclaimer was accepted. It lives
// in the per-user settings of organisation "TavrelSystems" and the application's name, group
// "SETTINGS", key "AGREEMENT". Only 1 is ever written.
class AcceptanceFlag {
public:
    explicit AcceptanceFlag(const QString& applicationName);

    // The stored value, a 32-bit unsigned value as the store keeps it (a negative 32-bit number
    // stands for its bits); 0 when it is missing or not a number, UINT32_MAX for a number that
    // does not fit 32 bits.
    uint32_t Read() const;
    // Records the acceptance (the value 1). A failed write is not reported: the next start
    // simply shows the disclaimer again.
    void WriteAccepted() const;

private:
    QString applicationName;
};

// The executable's file name without folder and extension: "Quillbox" for /opt/Quillbox.exe.
QString ApplicationNameFromExecutable(const QString& path);
