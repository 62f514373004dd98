#include "protocol/script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sstream>

#include "protocol/device_text_rule.h"
#include "protocol/setting_choices.h"
#include "protocol/settings_record.h"
#include "protocol/write_steps.h"

namespace {

constexpr size_t kCodeLength = 4;
constexpr size_t kWritePrefixLength = 4;  // "!WS "
constexpr size_t kMaxIdCharacters = 8;
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// The settings fields without a window, at the window's start values, to check a value by
// writing it as Write Script would.
class ScriptFields : public DeviceFields {
public:
    ScriptFields() { texts.hostPortText = "1470"; }
    uint32_t GetAddress(AddressField f) const override { return addresses[static_cast<int>(f)]; }
    void SetAddress(AddressField f, uint32_t a) override { addresses[static_cast<int>(f)] = a; }
    int GetSelection(SettingCombo c) const override { return selections[static_cast<int>(c)]; }
    void SetSelection(SettingCombo c, int i) override { selections[static_cast<int>(c)] = i; }
    int ItemCount(SettingCombo c) const override { return ChoicesOf(c).count; }
    std::string ItemText(SettingCombo c, int i) const override { return ChoicesOf(c).items[i]; }
    TextFields& Texts() override { return texts; }

private:
    uint32_t addresses[2] = {0x0A010001, 0};
    int selections[5] = {8, 0, 1, 0, 0};
    TextFields texts;
};

// The settings in write order (the one at index i is stored by write step i + 1), each with a
// value it takes, shown when a line's value is not one.
const char* const kSettings[kSettingCount][2] = {
    {"!PA ", "10.1.0.1"}, {"!PP ", "1470"},  {"!SA ", "10.1.0.2"}, {"!SO ", "C 3000"},
    {"!TC ", "5"},        {"!SC ", "UNIT7"}, {"!TB ", "9600"},     {"!TP ", "0, 1, 2"},
    {"!TD ", "7, 8"},     {"!TS ", "1, 2"},  {"!FC ", "0, 1"},
};

enum class Fault { Unknown, Control, NoValue, Value, Host, IdLong, Long, Twice, None };

// English and Korean, indexed by Fault; "%s" takes the example value or the earlier line.
const char* const kReasons[][2] = {
    {"unknown setting code", "알 수 없는 설정 코드입니다"},
    {"holds a control byte", "제어 바이트가 있습니다"},
    {"no value, or the value begins with a blank", "값이 없거나 공백으로 시작합니다"},
    {"not a value this setting takes (e.g. %s)", "이 설정에 쓸 수 없는 값입니다 (예: %s)"},
    {"the host address must not be 0.0.0.0", "통신할 주소는 0.0.0.0일 수 없습니다"},
    {"the ID has more than 8 characters", "ID가 8자를 넘습니다"},
    {"the value is too long for the device's line", "값이 너무 길어 장치에 쓸 수 없습니다"},
    {"the setting was already given on line %s", "%s행에 이미 있는 설정입니다"},
};

// A value is taken only when Write Script would send it back byte for byte, so that what the
// device stores is what the file says.
Fault CheckSetting(const std::string& line, int setting, UiLanguage language) {
    const std::string value = line.substr(kCodeLength);
    if (value.empty() || value[0] == ' ') {
        return Fault::NoValue;
    }
    // As the window counts them: the characters the operator sees, not the bytes.
    if (setting == kDeviceIdSetting && DeviceTextLength(value, language) > kMaxIdCharacters) {
        return Fault::IdLong;
    }
    ScriptFields scratch;
    ApplySettingReply(line.c_str(), scratch);
    CommandLine written;
    if (!FormatWriteLine(setting + 1, scratch, written)) {
        return Fault::Long;
    }
    // The interval is stored in hundredths and the window writes whole seconds; any plain count
    // of hundredths that a device lists is taken as it is.
    const bool hundredths = setting == kIntervalSetting && value.size() > 2 &&
                            std::isdigit(static_cast<unsigned char>(value[2]));
    const std::string expected = hundredths
                                     ? "C " + std::to_string(ReadDecimal(value.c_str() + 2))
                                     : written.Text().substr(kWritePrefixLength + kCodeLength);
    if (expected != value) {
        return Fault::Value;
    }
    const bool blankHost =
        setting == kHostAddressSetting && scratch.GetAddress(AddressField::Host) == 0;
    return blankHost ? Fault::Host : Fault::None;
}

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// A text setting whose value does not fit a write line is kept as its listing line, so that
// nothing is dropped; reading the file back reports the length.
std::string UnwritableLine(int step, const TextFields& t) {
    return step == 2   ? "!PP " + t.hostPortText
           : step == 4 ? "!SO C " + t.intervalText + "00"
           : step == 5 ? "!TC " + t.timeoutText
                       : "!SC " + t.deviceIdText;
}

// Reads to the end, but never more than one byte past what a script may hold.
std::string ReadWhole(int fd, std::string& bytes, UiLanguage language) {
    bytes.assign(kMaxScriptFileBytes + 1, '\0');
    size_t got = 0;
    for (ssize_t n = 1; n != 0 && got < bytes.size();) {
        n = read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno != EINTR) {
            return std::strerror(errno);
        }
        got += n > 0 ? static_cast<size_t>(n) : 0;
    }
    bytes.resize(got);
    return got > kMaxScriptFileBytes ? LoadString(IDS_SCRIPT_TOO_LARGE, language) : "";
}

}  // namespace

std::string ReadScriptBytes(const std::string& path, std::string& bytes, UiLanguage language) {
    if (path == "-") {
        return ReadWhole(STDIN_FILENO, bytes, language);
    }
    const std::string notAFile = LoadString(IDS_SCRIPT_NOT_A_FILE, language);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return notAFile;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const std::string why = regular ? ReadWhole(fd, bytes, language) : notAFile;
    close(fd);
    return why;
}

bool ReadScriptFile(const std::string& text, DeviceScript& script,
                    std::vector<ScriptFileFault>& faults, UiLanguage language) {
    faults.clear();
    script = DeviceScript();
    std::vector<std::string> lines;
    int firstLineOf[kSettingCount] = {};
    const bool marked = text.compare(0, 3, kByteOrderMark) == 0;
    std::istringstream in(marked ? text.substr(3) : text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        const std::string upper = UpperCaseCode(line);
        const int setting = SettingOf(upper);
        const Fault fault = std::any_of(line.begin(), line.end(), IsControl) ? Fault::Control
                            : setting < 0                                    ? Fault::Unknown
                            : firstLineOf[setting] != 0                      ? Fault::Twice
                                                        : CheckSetting(upper, setting, language);
        if (fault == Fault::None) {
            firstLineOf[setting] = number;
            // A code in mixed case is a setting to the operator, not to the device.
            lines.push_back(SettingOf(line) == setting ? line : upper);
            continue;
        }
        std::string reason = kReasons[static_cast<int>(fault)][language == UiLanguage::Korean];
        const size_t marker = reason.find("%s");
        if (marker != std::string::npos) {
            reason.replace(marker, 2,
                           fault == Fault::Twice ? std::to_string(firstLineOf[setting])
                                                 : kSettings[setting][1]);
        }
        faults.push_back({number, reason});
    }
    if (faults.empty()) {
        script.lines = std::move(lines);
    }
    return faults.empty();
}

void ApplyScript(const DeviceScript& script, DeviceFields& fields) {
    for (const std::string& line : script.lines) {
        ApplySettingReply(line.c_str(), fields);
    }
}

bool NamesSetting(const std::string& line) {
    return SettingOf(UpperCaseCode(line)) >= 0;
}

std::string FormatScriptFile(DeviceFields& fields) {
    std::string file;
    CommandLine line;
    for (int step = NextWriteStep(0, fields); step < WRITE_STEP_DONE;
         step = NextWriteStep(step, fields)) {
        file += FormatWriteLine(step, fields, line) ? line.Text().substr(kWritePrefixLength)
                                                    : UnwritableLine(step, fields.Texts());
        file += '\n';
    }
    return file;
}
