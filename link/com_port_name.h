#pragma once

#include <cstdint>
#include <string>

// "COM<n>" names as the program shows them and as per-user links are named. Any thread.

// "COM12" for 12.
[[nodiscard]] std::string ComPortName(uint16_t portNumber);

// The number of a canonical name: "COM" and a decimal number 1..65535 without a leading zero
// or any other character, so that ComPortName gives the same name back. 0 otherwise.
[[nodiscard]] uint16_t ParseComPortName(const std::string& name);
