#pragma once

#include <string>
#include <vector>

#include "protocol/device_fields.h"
#include "resources/string_table.h"

// A script file is the device's own listing: one setting a line, exactly as the device lists it
// and the log shows it ("!PA 10.1.0.1", "!PP 1470", "!SO C 3000"); blank lines and lines that
// begin with '#' are ignored. Values are bytes: a file round-trips what the device stores, also
// text that is not UTF-8.

struct ScriptFileFault {
    int line = 0;        // 1-based line number in the file
    std::string reason;  // in the interface language
};

// Checks every line of `text` (known code, valid value, every length that Write Script refuses,
// a setting given twice) and, only when none is faulty, fills `fields` the way a listing fills
// them. Returns false with every fault, leaving `fields` as they were, otherwise true.
[[nodiscard]] bool ReadScriptFile(const std::string& text, DeviceFields& fields,
                                  std::vector<ScriptFileFault>& faults, UiLanguage language);

// The fields as a script file: the listing line of each setting that Write Script would store,
// in the order it stores them, each ended by '\n'.
std::string FormatScriptFile(DeviceFields& fields);

// True when `line` begins with the code of one of the eleven settings, in upper or lower case.
bool NamesSetting(const std::string& line);
