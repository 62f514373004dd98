#pragma once

#include <string>
#include <string_view>
#include <vector>

// Fault knobs of the simulated device.
struct DeviceFaults {
    bool silent = false;          // answers nothing at all
    int wrongAnswerAt = -1;       // the k-th command line (0-based) gets a refusal
    bool splitAnswers = false;    // each answer line leaves in two pieces
    bool lfAfterCr = false;       // "\r\n" instead of "\r"
    bool lowerCaseCodes = false;  // stored lines are listed with lower-case codes
    bool noise = false;           // LF and stray bytes around the answers
    bool overLongLines = false;   // the listing starts with a line of 300 bytes
    bool echoOn = false;          // echo is on at start
};

// The VDM-R30 as seen from its serial line: bytes in, bytes out. Not thread-safe.
class DeviceModel {
public:
    explicit DeviceModel(std::vector<std::string> storedLines = {}, DeviceFaults faults = {});

    // Takes bytes sent by the host; returns what the device answers to the lines they complete.
    std::string Receive(std::string_view bytes);

    const std::vector<std::string>& StoredLines() const;
    bool EchoOn() const;
    // Every complete command line received so far, without its CR.
    const std::vector<std::string>& CommandLog() const;
    DeviceFaults& Faults();
};
