#pragma once

#include <string>
#include <string_view>
#include <vector>

// True when `text` holds a byte below 0x20 or DEL.
[[nodiscard]] bool HasControlBytes(std::string_view text);

// Fault knobs of the simulated device.
struct DeviceFaults {
    bool silent = false;          // answers nothing at all
    int wrongAnswerAt = -1;       // the k-th command line (0-based) gets a refusal
    bool splitAnswers = false;    // each answer line leaves in two pieces
    bool lfAfterCr = false;       // "\r\n" instead of "\r"
    bool lowerCaseCodes = false;  // stored lines are listed with lower-case codes
    bool noise = false;           // line feeds before and inside the answer lines
    bool overLongLines = false;   // the listing starts with a line of 300 bytes
    bool echoOn = false;          // echo is on at start
    int forgetWriteAt = -1;       // the k-th "!WS" (0-based) is confirmed but not stored
};

// The VDM-R30 as seen from its serial line: bytes in, bytes out. Not thread-safe.
//
// Lines end at CR; LF is ignored. "!VS" lists the stored lines and "!700"; "!UE <code>" with
// the access code unlocks; "!ES" erases the first stored line and "!WS <setting line>" stores
// one, both only while unlocked; "!E0"/"!E1" switch echo. Every other line, and a command the
// device may not carry out, gets a refusal "!ER nn". The unlock holds across any number of
// erase and write commands and ends with the next "!VS" or refusal.
class DeviceModel {
public:
    explicit DeviceModel(std::vector<std::string> storedLines = {}, DeviceFaults faults = {});

    // Takes bytes sent by the host; returns what the device answers to the lines they complete.
    std::string Receive(std::string_view bytes);

    const std::vector<std::string>& StoredLines() const { return stored; }
    // Every complete command line received so far, without its CR.
    const std::vector<std::string>& CommandLog() const { return commandLog; }
    DeviceFaults& Faults() { return faults; }

private:
    // Appends one answer line to `out` as it leaves on the wire, framing faults applied.
    void Answer(std::string_view text, std::string& out) const;
    void HandleLine(const std::string& line, std::string& out);
    // The answer to one command line; a refusal also ends the unlock.
    std::string Execute(std::string_view line);

    std::vector<std::string> stored;
    DeviceFaults faults;
    std::vector<std::string> commandLog;
    std::string pending;  // bytes of the line not yet ended by CR
    bool echo;
    bool unlocked = false;
    int writes = 0;  // "!WS" lines carried out
};
