#pragma once

#include <string>
#include <vector>

// The settings a device listed, or a script file gives: each kept as its line's bytes exactly
// as they came ("!PA 10.1.0.1", "!so C 3000"), in order. Which settings are present is part of
// the value: a setting that no line names is absent, never filled in from a default.
struct DeviceScript {
    std::vector<std::string> lines;

    // Takes `line` when it names one of the eleven settings; false (and nothing kept) otherwise.
    bool Add(const std::string& line);
    bool Has(int setting) const { return Find(setting) != nullptr; }
    // The last line naming `setting` (write order: 0 host address ... 10 flow control), or null.
    const std::string* Find(int setting) const;
};

constexpr int kSettingCount = 11;
constexpr int kHostAddressSetting = 0;
constexpr int kHostPortSetting = 1;
constexpr int kIntervalSetting = 3;
constexpr int kDeviceIdSetting = 5;

// The setting a line names by its code, all upper or all lower case ("!PP ", "!pp "); -1 when
// it names none. Settings are numbered in the order Write Script stores them.
int SettingOf(const std::string& line);

// The code, and the interval's sub-field letter, in upper case, as Write Script sends them: a
// device lists either case and a listing fills the same fields from both.
std::string UpperCaseCode(std::string line);

// Setting by setting in write order, where the two differ: what `device` holds as "- line",
// then what `file` gives as "+ line". A setting is the same when its value bytes are; the
// code's case, the order, comments and blank lines do not count.
std::vector<std::string> DiffScripts(const DeviceScript& device, const DeviceScript& file);
