#include "protocol/device_script.h"

#include "protocol/settings_record.h"

#include <cctype>

namespace {

constexpr size_t kCodeLength = 4;

// The value bytes after the code; "" for a line too short to hold one.
std::string ValueOf(const std::string* line) {
    return line != nullptr && line->size() > kCodeLength ? line->substr(kCodeLength) : "";
}

}  // namespace

bool DeviceScript::Add(const std::string& line) {
    if (SettingOf(line) < 0) {
        return false;
    }
    lines.push_back(line);
    return true;
}

const std::string* DeviceScript::Find(int setting) const {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (SettingOf(*it) == setting) {
            return &*it;
        }
    }
    return nullptr;
}

std::string UpperCaseCode(std::string line) {
    const bool interval = EqualIgnoringCase(line.substr(0, kCodeLength), "!SO ");
    for (size_t i : {1, 2, 4}) {
        if (i < line.size() && (i != 4 || interval)) {
            line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
        }
    }
    return line;
}

int SettingOf(const std::string& line) {
    return SettingIndexOf(line.c_str());
}

std::vector<std::string> DiffScripts(const DeviceScript& device, const DeviceScript& file) {
    std::vector<std::string> differences;
    for (int setting = 0; setting < kSettingCount; ++setting) {
        const std::string* held = device.Find(setting);
        const std::string* wanted = file.Find(setting);
        if (held == wanted ||
            (held != nullptr && wanted != nullptr && ValueOf(held) == ValueOf(wanted))) {
            continue;
        }
        if (held != nullptr) {
            differences.push_back("- " + *held);
        }
        if (wanted != nullptr) {
            differences.push_back("+ " + *wanted);
        }
    }
    return differences;
}
