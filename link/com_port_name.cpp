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
    if (digits.empty() || digits.size() > kMaxDigits || digits[0] == '0' ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const unsigned long value = std::stoul(digits);
    return value <= kMaxNumber ? static_cast<uint16_t>(value) : 0;
}
