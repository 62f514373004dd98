#include "link/com_port_name.h"

std::string ComPortName(uint16_t portNumber) {
    return "COM" + std::to_string(portNumber);
}

uint16_t ParseComPortName(const std::string& name) {
    const std::string digits = name.compare(0, 3, "COM") == 0 ? name.substr(3) : "";
    if (digits.empty() || digits.size() > 5 || digits[0] == '0' ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const unsigned long value = std::stoul(digits);
    return value <= UINT16_MAX ? static_cast<uint16_t>(value) : 0;
}
