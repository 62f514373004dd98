#pragma once

#include <cstdint>
#include <string>

// "COM<n>" names as the program shows them and as per-user links are named. Any thread.

[[nodiscard]] std::string ComPortName(uint16_t portNumber);  // "COM12" for 12

// The number of a canonical name ("COM" and 1..65535 without a leading zero), so that
// ComPortName gives the same name back; 0 for any other text.
[[nodiscard]] uint16_t ParseComPortName(const std::string& name);
