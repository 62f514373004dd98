#pragma once

#include <cstdint>
#include <string>

// The fixed COM numbering of Linux serial devices: COM1-4 ttyS0-3, COM5-14 ttyUSB0-9,
// COM15-24 ttyACM0-9. Pure functions, any thread.

// "ttyUSB0" for COM5; "" for a number outside the table.
[[nodiscard]] std::string BuiltInDeviceName(uint16_t portNumber);

// 5 for "ttyUSB0"; 0 for a device outside the table (ttyS4, ttyUSB10, tty0, ttyS01...).
[[nodiscard]] uint16_t BuiltInPortNumber(const std::string& deviceName);

// True for the on-board UART names (ttyS...), whose presence in sysfs proves nothing: the
// kernel lists them whether or not a UART answers.
[[nodiscard]] bool IsPlatformUartName(const std::string& deviceName);
