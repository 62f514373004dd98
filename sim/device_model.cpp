#include "sim/device_model.h"

#include <algorithm>
#include <cctype>
#include <utility>

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

constexpr std::string_view kCodes = "PA PP SA SO TC SC TB TP TD TS FC";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "C " then an optionally signed decimal number, nothing else.
bool IsIntervalValue(std::string_view value) {
    if (!StartsWith(value, "C ")) {
        return false;
    }
    value.remove_prefix(value.size() > 2 && (value[2] == '-' || value[2] == '+') ? 3 : 2);
    return !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
}

// An upper-case code of the eleven, a blank, then a value without control bytes. Values are
// bytes: an ID may be stored in a code page of its own.
bool IsStorableSettingLine(std::string_view line) {
    if (line.size() < 5 || line[0] != '!' || line[3] != ' ' || line[4] == ' ') {
        return false;
    }
    const size_t code = kCodes.find(line.substr(1, 2));
    return code != std::string_view::npos && code % 3 == 0 && !HasControlBytes(line) &&
           (line.substr(1, 2) != "SO" || IsIntervalValue(line.substr(4)));
}

// As the device lists a line in lower-case form: "!pa 10.1.0.1", "!so c 3000".
std::string LowerCaseCode(std::string line) {
    const bool interval = line.compare(0, 3, "!SO") == 0;
    for (size_t i : {size_t{1}, size_t{2}, size_t{4}}) {
        if (i < line.size() && line[0] == '!' && (i != 4 || interval)) {
            line[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
        }
    }
    return line;
}

}  // namespace

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

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
            Answer("!LG " + std::string(kOverLongLine - 4, '7'), out);
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
    const std::string_view setting = line.substr(4);
    if (!IsStorableSettingLine(setting)) {
        return kMalformed;
    }
    if (writes++ == faults.forgetWriteAt) {
        return kConfirm;
    }
    // A setting stored again replaces its line.
    const auto same = std::find_if(stored.begin(), stored.end(), [&](const std::string& s) {
        return s.compare(0, 4, setting.substr(0, 4)) == 0;
    });
    if (same != stored.end()) {
        *same = setting;
    } else {
        stored.emplace_back(setting);
    }
    return kConfirm;
}
