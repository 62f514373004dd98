#pragma once

#include <cstdint>
#include <string>

#include "protocol/device_fields.h"

// The device's stored settings as they travel on the line: reply codes ("!" + two letters +
// blank, upper or lower case) and the reading of their values into the dialog's fields.

// True when the first four bytes of `line` are `code`; nothing past the line's NUL is read.
bool LineHasCode(const char* line, const char* code);
bool LineBeginsWith(const char* line, const char* prefix);

// Fills the field that a settings reply line names, as a listing does. A line that names no
// setting, or whose value selects nothing, changes nothing. User-interface thread.
void ApplySettingReply(const char* line, DeviceFields& fields);

// The setting that a reply line names, numbered in write order (0 host address ... 10 flow
// control); -1 when it names none. The code is all upper or all lower case.
int SettingIndexOf(const char* line);

// "10.1.0.1" for 0x0A010001.
std::string FormatDotted(uint32_t address);

// A decimal number read as strtol reads one with base 10 (C-locale white space, a sign, the
// digits up to the first non-digit, 0 without any), saturating at the limits of long long.
long long ReadDecimal(const char* text);

// Equal once ASCII letters are folded to one case; other bytes (UTF-8 too) must match.
bool EqualIgnoringCase(const std::string& a, const std::string& b);
