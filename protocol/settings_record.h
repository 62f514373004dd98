#pragma once

#include <cstdint>
#include <string>

#include "protocol/device_fields.h"

// The device's stored settings as they travel on the line: reply codes ("!" + two letters +
// blank, upper or lower case) and the reading of their values into the dialog's fields.

// True when the first four bytes of `line` are `code`; a shorter line compares with its
// zero fill, so nothing past its NUL is read.
bool LineHasCode(const char* line, const char* code);

// True when `line` begins with `prefix` (which holds no NUL).
bool LineBeginsWith(const char* line, const char* prefix);

// Fills the field that a settings reply line names, as a listing does. A line that names no
// setting, or whose value selects nothing, changes nothing. User-interface thread.
void ApplySettingReply(const char* line, DeviceFields& fields);

// The four numbers of a host-order address joined by dots, most significant first.
std::string FormatDotted(uint32_t address);

// A signed decimal number read the way strtol does with base 10: leading white space
// skipped, an optional sign, digits up to the first non-digit, 0 when there are none.
// Saturates at the limits of long long instead of overflowing.
long long ReadDecimal(const char* text);

// True when `a` and `b` are equal once ASCII letters are folded to one case; other bytes
// (UTF-8 included) must match exactly.
bool EqualIgnoringCase(const std::string& a, const std::string& b);

// The index of the first item of `combo` whose text equals `text` ignoring ASCII letter
// case; -1 when none does.
int FindItemIgnoringCase(const DeviceFields& fields, SettingCombo combo, const std::string& text);
