#include "link/com_port_name.h"

namespace {

constexpr const char* kPrefix = "COM";
constexpr size_t kPrefixLength = 3;
constexpr size_t kMaxDigits = 5;
constexpr unsigned long kMaxNumber = 65535;

}  // namespace

std::string ComPortName(uint16_t portNumber) {
    return kPrefix + std::to_string(portNumber);
}

uint16_t ParseComPortName(const std::string& name) {
    if (name.compare(0, kPrefixLength, kPrefix) != 0) {
        return 0;
    }
    const std::string digits = name.substr(kPrefixLength);
    if (digits.empty() || digits.size() > kMaxDigits || digits[0] == '0') {
        return 0;
    }
    unsigned long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value <= kMaxNumber ? static_cast<uint16_t>(value) : 0;
}
