#include "protocol/script_file.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

#include "protocol/settings_record.h"
#include "protocol/write_steps.h"

namespace {

constexpr size_t kCodeLength = 4;
constexpr size_t kMaxIdBytes = 8;
constexpr size_t kSettingCount = 11;

enum class Value { HostAddress, Address, Text, Id, Interval, BaudRate, Digit };

// The settings in write order: the setting at index i is stored by write step i + 1.
struct FileSetting {
    const char* upperCode;
    const char* lowerCode;
    Value value;
    const char* digits;  // for Digit: the only values the setting takes
};

const FileSetting kSettings[kSettingCount] = {
    {"!PA ", "!pa ", Value::HostAddress, nullptr}, {"!PP ", "!pp ", Value::Text, nullptr},
    {"!SA ", "!sa ", Value::Address, nullptr},     {"!SO ", "!so ", Value::Interval, nullptr},
    {"!TC ", "!tc ", Value::Text, nullptr},        {"!SC ", "!sc ", Value::Id, nullptr},
    {"!TB ", "!tb ", Value::BaudRate, nullptr},    {"!TP ", "!tp ", Value::Digit, "012"},
    {"!TD ", "!td ", Value::Digit, "78"},          {"!TS ", "!ts ", Value::Digit, "12"},
    {"!FC ", "!fc ", Value::Digit, "01"},
};

enum class Fault {
    None,
    UnknownCode,
    Unsendable,
    NoValue,
    BadAddress,
    BlankHost,
    IdTooLong,
    BadInterval,
    BadBaudRate,
    BadChoice,
    TooLong,
    GivenTwice,
};

struct FaultText {
    const char* english;
    const char* korean;
};

// Indexed by Fault; GivenTwice takes the line number of the first occurrence.
const FaultText kFaultTexts[] = {
    {"", ""},
    {"unknown setting code", "알 수 없는 설정 코드입니다"},
    {"holds a NUL or carriage-return byte, which cannot be sent",
     "보낼 수 없는 NUL 또는 CR 바이트가 있습니다"},
    {"no value", "값이 없습니다"},
    {"not an IPv4 address (four numbers 0-255 joined by dots)",
     "IPv4 주소가 아닙니다 (0-255의 숫자 네 개를 점으로 연결)"},
    {"the host address must not be 0.0.0.0", "통신할 주소는 0.0.0.0일 수 없습니다"},
    {"the ID has more than 8 characters", "ID가 8자를 넘습니다"},
    {"the interval must be \"C \" and whole seconds in hundredths (\"!SO C 3000\")",
     "간격은 \"C \" 다음에 1/100초 단위의 정수 초여야 합니다 (\"!SO C 3000\")"},
    {"not a baud rate of the list", "목록에 없는 보율입니다"},
    {"not a value this setting takes", "이 설정에 쓸 수 없는 값입니다"},
    {"the value is too long for the device's line", "값이 너무 길어 장치에 쓸 수 없습니다"},
    {"the setting was already given on line %d", "%d행에 이미 있는 설정입니다"},
};

std::string FaultReason(Fault fault, int firstLine, UiLanguage language) {
    const FaultText& text = kFaultTexts[static_cast<int>(fault)];
    const char* format = language == UiLanguage::Korean ? text.korean : text.english;
    char reason[160];
    std::snprintf(reason, sizeof reason, format, firstLine);
    return reason;
}

// Values of one line alone, so that its write line can be built without touching the fields
// the file is read into; the list items are the target's.
class ScratchFields : public DeviceFields {
public:
    explicit ScratchFields(const DeviceFields& items) : items_(items) {}

    uint32_t GetAddress(AddressField field) const override {
        return addresses_[static_cast<int>(field)];
    }
    void SetAddress(AddressField field, uint32_t address) override {
        addresses_[static_cast<int>(field)] = address;
    }
    int GetSelection(SettingCombo combo) const override {
        return selections_[static_cast<int>(combo)];
    }
    void SetSelection(SettingCombo combo, int index) override {
        selections_[static_cast<int>(combo)] = index;
    }
    int ItemCount(SettingCombo combo) const override { return items_.ItemCount(combo); }
    std::string ItemText(SettingCombo combo, int index) const override {
        return items_.ItemText(combo, index);
    }
    TextFields& Texts() override { return texts_; }

private:
    const DeviceFields& items_;
    uint32_t addresses_[2] = {};
    int selections_[5] = {};
    TextFields texts_;
};

int SettingOf(const std::string& line) {
    for (size_t i = 0; i < kSettingCount; ++i) {
        if (LineHasCode(line.c_str(), kSettings[i].upperCode) ||
            LineHasCode(line.c_str(), kSettings[i].lowerCode)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IsAllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Hundredths of a second after a sub-field letter of the code's case; whole seconds only, as
// the write sends the interval in seconds times 100.
bool IsWholeInterval(const std::string& value, bool upper) {
    if (value.size() < 2 || value[0] != (upper ? 'C' : 'c') || value[1] != ' ') {
        return false;
    }
    const std::string number = value.substr(2);
    const bool wholeSeconds =
        number == "0" || (number.size() >= 2 && number.compare(number.size() - 2, 2, "00") == 0);
    return IsAllDigits(number) && wholeSeconds;
}

Fault CheckValue(const FileSetting& setting, const std::string& value, bool upper,
                 const DeviceFields& fields) {
    in_addr address{};
    switch (setting.value) {
        case Value::HostAddress:
        case Value::Address:
            if (inet_pton(AF_INET, value.c_str(), &address) != 1) {
                return Fault::BadAddress;
            }
            return setting.value == Value::HostAddress && address.s_addr == 0 ? Fault::BlankHost
                                                                              : Fault::None;
        case Value::Text:
            return Fault::None;
        case Value::Id:
            return value.size() > kMaxIdBytes ? Fault::IdTooLong : Fault::None;
        case Value::Interval:
            return IsWholeInterval(value, upper) ? Fault::None : Fault::BadInterval;
        case Value::BaudRate:
            return FindItemIgnoringCase(fields, SettingCombo::BaudRate, value) < 0
                       ? Fault::BadBaudRate
                       : Fault::None;
        case Value::Digit:
            return value.size() == 1 && std::strchr(setting.digits, value[0]) != nullptr
                       ? Fault::None
                       : Fault::BadChoice;
    }
    return Fault::None;
}

Fault CheckSetting(const std::string& line, int setting, DeviceFields& fields) {
    const std::string value = line.substr(kCodeLength);
    if (value.empty()) {
        return Fault::NoValue;
    }
    const bool upper = LineHasCode(line.c_str(), kSettings[setting].upperCode);
    const Fault fault = CheckValue(kSettings[setting], value, upper, fields);
    if (fault != Fault::None) {
        return fault;
    }
    ScratchFields scratch(fields);
    ApplySettingReply(line.c_str(), scratch);
    CommandLine written;
    return FormatWriteLine(setting + 1, scratch, written) ? Fault::None : Fault::TooLong;
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// The listing line of a setting whose value does not fit a write line, so that nothing the
// fields hold is dropped from the file; reading it back reports the length.
std::string UnwritableLine(int step, DeviceFields& fields) {
    const TextFields& texts = fields.Texts();
    switch (step) {
        case 2:
            return "!PP " + texts.hostPortText;
        case 4:
            return "!SO C " + texts.intervalText + "00";
        case 5:
            return "!TC " + texts.timeoutText;
        case 6:
            return "!SC " + texts.deviceIdText;
        default:
            return std::string();
    }
}

}  // namespace

bool ReadScriptFile(const std::string& text, DeviceFields& fields,
                    std::vector<ScriptFileFault>& faults, UiLanguage language) {
    faults.clear();
    std::vector<std::string> settingLines;
    int firstLineOf[kSettingCount] = {};
    int number = 0;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (IsBlank(line) || line[0] == '#') {
            continue;
        }
        const int setting = SettingOf(line);
        Fault fault = Fault::None;
        if (line.find_first_of(std::string("\r\0", 2)) != std::string::npos) {
            fault = Fault::Unsendable;
        } else if (setting < 0) {
            fault = Fault::UnknownCode;
        } else if (firstLineOf[setting] != 0) {
            fault = Fault::GivenTwice;
        } else {
            firstLineOf[setting] = number + 1;
            fault = CheckSetting(line, setting, fields);
        }
        if (fault != Fault::None) {
            const int first = setting >= 0 ? firstLineOf[setting] : 0;
            faults.push_back({number + 1, FaultReason(fault, first, language)});
        }
        settingLines.push_back(line);
    }
    if (!faults.empty()) {
        return false;
    }
    for (const std::string& line : settingLines) {
        ApplySettingReply(line.c_str(), fields);
    }
    return true;
}

std::string FormatScriptFile(DeviceFields& fields) {
    static const std::string kWritePrefix = "!WS ";
    std::string file;
    CommandLine line;
    for (int step = NextWriteStep(0, fields); step < WRITE_STEP_DONE;
         step = NextWriteStep(step, fields)) {
        const std::string text = FormatWriteLine(step, fields, line)
                                     ? line.Text().substr(kWritePrefix.size())
                                     : UnwritableLine(step, fields);
        file += text + "\n";
    }
    return file;
}
