#include "sim/setting_line.h"

#include <cctype>

namespace {

constexpr std::string_view kCodes = "PA PP SA SO TC SC TB TP TD TS FC";

// "C " then an optionally signed decimal number, nothing else.
bool IsIntervalValue(std::string_view value) {
    if (value.substr(0, 2) != "C ") {
        return false;
    }
    value.remove_prefix(2);
    if (!value.empty() && (value[0] == '-' || value[0] == '+')) {
        value.remove_prefix(1);
    }
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return !value.empty();
}

}  // namespace

bool IsStorableSettingLine(std::string_view line) {
    if (line.size() < 5 || line[0] != '!' || line[3] != ' ' || line[4] == ' ') {
        return false;
    }
    const size_t code = kCodes.find(line.substr(1, 2));
    if (code == std::string_view::npos || code % 3 != 0) {
        return false;
    }
    // Values are bytes: an ID may be stored in a code page of its own.
    return !HasControlBytes(line) && (line.substr(1, 2) != "SO" || IsIntervalValue(line.substr(4)));
}

bool HasControlBytes(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

std::string_view SettingKey(std::string_view line) {
    return line.substr(0, 4);
}

std::string LowerCaseCode(std::string_view line) {
    std::string lower(line);
    const bool interval = lower.compare(0, 3, "!SO") == 0;
    for (size_t i : {size_t{1}, size_t{2}, size_t{4}}) {
        if (i < lower.size() && lower[0] == '!' && (i != 4 || interval)) {
            lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
        }
    }
    return lower;
}
