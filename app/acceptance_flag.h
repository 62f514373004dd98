#pragma once

#include <QString>

// The one value the program keeps between runs: whether the disclaimer was accepted. It lives
// in the per-user settings of organisation "TavrelSystems" and the application's name, group
// "SETTINGS", key "AGREEMENT". Only 1 is ever written.
class AcceptanceFlag {
public:
    explicit AcceptanceFlag(const QString& applicationName);

    // The stored value; 0 when it is missing or cannot be read as a 32-bit integer.
    int Read() const;
    // Records the acceptance (the value 1). A failed write is not reported: the next start
    // simply shows the disclaimer again.
    void WriteAccepted() const;

private:
    QString applicationName;
};

// The executable's file name without folder and extension: "Quillbox" for /opt/Quillbox.exe.
QString ApplicationNameFromExecutable(const QString& path);
