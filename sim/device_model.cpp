#include "sim/device_model.h"

#include <utility>

#include "sim/answer_writer.h"
#include "sim/setting_line.h"

namespace {

constexpr std::string_view kAccessCode = "3D9F1B62";
constexpr std::string_view kConfirm = "!700";
// The device keeps this much of a command line; the rest up to the CR is dropped.
constexpr size_t kMaxCommandLine = 256;
constexpr size_t kOverLongLine = 300;

constexpr const char* kUnknownCommand = "!ER 01";
constexpr const char* kLocked = "!ER 02";
constexpr const char* kMalformed = "!ER 03";
constexpr const char* kWrongCode = "!ER 04";
constexpr const char* kFaultyAnswer = "!ER 05";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string OverLongLine() {
    std::string line = "!LG ";
    while (line.size() < kOverLongLine) {
        line.push_back(static_cast<char>('0' + line.size() % 10));
    }
    return line;
}

}  // namespace

DeviceModel::DeviceModel(std::vector<std::string> storedLines, DeviceFaults faults)
    : stored(std::move(storedLines)), faults(faults), echo(faults.echoOn) {}

std::string DeviceModel::Receive(std::string_view bytes) {
    AnswerWriter out(faults);
    for (char c : bytes) {
        if (c == '\n') {
            continue;
        }
        if (c != '\r') {
            if (pending.size() < kMaxCommandLine) {
                pending.push_back(c);
            }
            continue;
        }
        HandleLine(pending, out);
        pending.clear();
    }
    return out.Take();
}

const std::vector<std::string>& DeviceModel::StoredLines() const {
    return stored;
}

bool DeviceModel::EchoOn() const {
    return echo;
}

const std::vector<std::string>& DeviceModel::CommandLog() const {
    return commandLog;
}

DeviceFaults& DeviceModel::Faults() {
    return faults;
}

void DeviceModel::HandleLine(const std::string& line, AnswerWriter& out) {
    const size_t index = commandLog.size();
    commandLog.push_back(line);
    if (faults.silent) {
        return;
    }
    if (echo) {
        out.Line(line);
    }
    if (faults.wrongAnswerAt >= 0 && index == static_cast<size_t>(faults.wrongAnswerAt)) {
        Refuse(kFaultyAnswer, out);
        return;
    }
    Execute(line, out);
}

void DeviceModel::Execute(std::string_view line, AnswerWriter& out) {
    if (line == "!VS") {
        unlocked = false;
        List(out);
    } else if (StartsWith(line, "!UE ")) {
        if (line.substr(4) != kAccessCode) {
            Refuse(kWrongCode, out);
            return;
        }
        unlocked = true;
        out.Line(kConfirm);
    } else if (line == "!ES") {
        if (!unlocked) {
            Refuse(kLocked, out);
            return;
        }
        if (!stored.empty()) {
            stored.erase(stored.begin());
        }
        out.Line(kConfirm);
    } else if (StartsWith(line, "!WS ")) {
        if (!unlocked) {
            Refuse(kLocked, out);
            return;
        }
        if (!IsStorableSettingLine(line.substr(4))) {
            Refuse(kMalformed, out);
            return;
        }
        Store(line.substr(4));
        out.Line(kConfirm);
    } else if (line == "!E0" || line == "!E1") {
        echo = line == "!E1";
        out.Line(kConfirm);
    } else {
        Refuse(kUnknownCommand, out);
    }
}

void DeviceModel::List(AnswerWriter& out) const {
    if (faults.overLongLines) {
        out.Line(OverLongLine());
    }
    for (const std::string& line : stored) {
        out.Line(faults.lowerCaseCodes ? LowerCaseCode(line) : line);
    }
    out.Line(kConfirm);
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

void DeviceModel::Refuse(const char* refusal, AnswerWriter& out) {
    unlocked = false;
    out.Line(refusal);
}
