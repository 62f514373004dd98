#include "sim/setting_line.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 11> kCodes = {"PA", "PP", "SA", "SO", "TC", "SC",
                                                     "TB", "TP", "TD", "TS", "FC"};

bool IsKnownCode(std::string_view code) {
    for (std::string_view known : kCodes) {
        if (code == known) {
            return true;
        }
    }
    return false;
}

// Values are bytes: an ID may be stored in a code page of its own. Control bytes are refused.
bool IsPrintable(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

// "C " followed by an optionally signed decimal number, nothing else.
bool IsIntervalValue(std::string_view value) {
    if (value.size() < 3 || value.substr(0, 2) != "C ") {
        return false;
    }
    std::string_view number = value.substr(2);
    if (number.front() == '-' || number.front() == '+') {
        number.remove_prefix(1);
    }
    if (number.empty()) {
        return false;
    }
    for (char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsStorableSettingLine(std::string_view line) {
    if (line.size() < 5 || line[0] != '!' || line[3] != ' ' || !IsKnownCode(line.substr(1, 2))) {
        return false;
    }
    const std::string_view value = line.substr(4);
    if (value.front() == ' ' || !IsPrintable(value)) {
        return false;
    }
    return line.substr(1, 2) != "SO" || IsIntervalValue(value);
}

std::string_view SettingKey(std::string_view line) {
    return line.substr(0, 4);
}

std::string LowerCaseCode(std::string_view line) {
    std::string lower(line);
    if (lower.size() < 3 || lower[0] != '!') {
        return lower;
    }
    const bool interval = lower.compare(1, 2, "SO") == 0;
    for (size_t i : {size_t{1}, size_t{2}, size_t{4}}) {
        if (i < lower.size() && (i != 4 || interval)) {
            lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
        }
    }
    return lower;
}
