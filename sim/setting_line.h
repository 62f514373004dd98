#pragma once

#include <string>
#include <string_view>

// The device's stored settings are lines "!XX value" with one of eleven two-letter codes.
// These helpers are pure and may be called from any thread.

// True when `line` is a setting line the device accepts for storing: an upper-case code of
// the eleven, a blank, then a value without control bytes; the interval ("!SO") needs "C " and
// a decimal.
[[nodiscard]] bool IsStorableSettingLine(std::string_view line);

// True when `text` holds a byte below 0x20 or DEL.
[[nodiscard]] bool HasControlBytes(std::string_view text);

// The first four bytes ("!PA "), which name the setting a stored line holds.
[[nodiscard]] std::string_view SettingKey(std::string_view line);

// The line as the device lists it in lower-case form: "!pa 10.1.0.1", "!so c 3000".
[[nodiscard]] std::string LowerCaseCode(std::string_view line);
