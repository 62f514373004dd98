#include "sim/device_model.h"

#include <utility>

#include "sim/setting_line.h"

namespace {

constexpr std::string_view kUnlock = "!UE 3D9F1B62";
constexpr const char* kConfirm = "!700";
// The device keeps this much of a command line; the rest up to the CR is dropped.
constexpr size_t kMaxCommandLine = 256;
constexpr size_t kOverLongLine = 300;
// Refusals: an unknown command, locked, a malformed setting, a wrong code, a planted fault.
constexpr const char* kUnknownCommand = "!ER 01";
constexpr const char* kLocked = "!ER 02";
constexpr const char* kMalformed = "!ER 03";
constexpr const char* kWrongCode = "!ER 04";
constexpr const char* kFaultyAnswer = "!ER 05";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

DeviceModel::DeviceModel(std::vector<std::string> storedLines, DeviceFaults faults)
    : stored(std::move(storedLines)), faults(faults), echo(faults.echoOn) {}

std::string DeviceModel::Receive(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\r') {
            HandleLine(pending, out);
            pending.clear();
        } else if (c != '\n' && pending.size() < kMaxCommandLine) {
            pending.push_back(c);
        }
    }
    return out;
}

void DeviceModel::Answer(std::string_view text, std::string& out) const {
    // Noise is line feeds only, before and inside the text: the host drops them wherever they
    // occur, whereas any other stray byte would change what the line says.
    if (faults.noise) {
        out.append("\n\n").append(text.substr(0, text.size() / 2)).push_back('\n');
        text.remove_prefix(text.size() / 2);
    }
    out.append(text).append(faults.lfAfterCr ? "\r\n" : "\r");
}

void DeviceModel::HandleLine(const std::string& line, std::string& out) {
    const bool wrongAnswer = commandLog.size() == static_cast<size_t>(faults.wrongAnswerAt);
    commandLog.push_back(line);
    if (faults.silent) {
        return;
    }
    if (echo) {
        Answer(line, out);
    }
    if (line == "!VS" && !wrongAnswer) {
        unlocked = false;
        if (faults.overLongLines) {
            std::string longLine = "!LG ";
            while (longLine.size() < kOverLongLine) {
                longLine.push_back(static_cast<char>('0' + longLine.size() % 10));
            }
            Answer(longLine, out);
        }
        for (const std::string& setting : stored) {
            Answer(faults.lowerCaseCodes ? LowerCaseCode(setting) : setting, out);
        }
    }
    const std::string answer = wrongAnswer ? kFaultyAnswer : Execute(line);
    if (answer != kConfirm) {
        unlocked = false;
    }
    Answer(answer, out);
}

std::string DeviceModel::Execute(std::string_view line) {
    if (line == "!VS") {
        return kConfirm;
    }
    if (StartsWith(line, "!UE ")) {
        unlocked = line == kUnlock;
        return unlocked ? kConfirm : kWrongCode;
    }
    if (line == "!E0" || line == "!E1") {
        echo = line == "!E1";
        return kConfirm;
    }
    const bool erase = line == "!ES";
    if (!erase && !StartsWith(line, "!WS ")) {
        return kUnknownCommand;
    }
    if (!unlocked) {
        return kLocked;
    }
    if (erase) {
        if (!stored.empty()) {
            stored.erase(stored.begin());
        }
        return kConfirm;
    }
    if (!IsStorableSettingLine(line.substr(4))) {
        return kMalformed;
    }
    Store(line.substr(4));
    return kConfirm;
}

void DeviceModel::Store(std::string_view settingLine) {
    for (std::string& line : stored) {
        if (SettingKey(line) == SettingKey(settingLine)) {
            line = settingLine;
            return;
        }
    }
    stored.emplace_back(settingLine);
}
