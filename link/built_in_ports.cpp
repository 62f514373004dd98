#include "link/built_in_ports.h"

namespace {

// A block of consecutive COM numbers mapped onto numbered devices of one kind.
struct BuiltInRange {
    uint16_t firstPort;
    int count;
    const char* stem;
};

constexpr BuiltInRange kBuiltIn[] = {
    {1, 4, "ttyS"},
    {5, 10, "ttyUSB"},
    {15, 10, "ttyACM"},
};

// The index after `stem`: one or two digits, no leading zero; -1 when it is not that form.
int DeviceIndex(const std::string& deviceName, const std::string& stem) {
    if (deviceName.compare(0, stem.size(), stem) != 0) {
        return -1;
    }
    const std::string digits = deviceName.substr(stem.size());
    if (digits.empty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0') ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    return std::stoi(digits);
}

}  // namespace

std::string BuiltInDeviceName(uint16_t portNumber) {
    for (const BuiltInRange& range : kBuiltIn) {
        const int index = static_cast<int>(portNumber) - range.firstPort;
        if (index >= 0 && index < range.count) {
            return range.stem + std::to_string(index);
        }
    }
    return {};
}

uint16_t BuiltInPortNumber(const std::string& deviceName) {
    for (const BuiltInRange& range : kBuiltIn) {
        const int index = DeviceIndex(deviceName, range.stem);
        if (index >= 0 && index < range.count) {
            return static_cast<uint16_t>(range.firstPort + index);
        }
    }
    return 0;
}

bool IsPlatformUartName(const std::string& deviceName) {
    return DeviceIndex(deviceName, kBuiltIn[0].stem) >= 0;
}
