#include "protocol/setting_choices.h"

namespace {

constexpr const char* kBaudRates[] = {"600",   "1200",  "2400",  "4800",  "9600",
                                      "19200", "38400", "57600", "115200"};
constexpr const char* kParities[] = {"NONE", "EVEN", "ODD"};
constexpr const char* kDataBits[] = {"7", "8"};
constexpr const char* kStopBits[] = {"1", "2"};
constexpr const char* kFlowControls[] = {"NONE", "RTS/CTS"};

template <int N>
constexpr SettingChoices Of(const char* const (&items)[N]) {
    return {items, N};
}

// In the order of SettingCombo.
constexpr SettingChoices kChoices[] = {Of(kBaudRates), Of(kParities), Of(kDataBits), Of(kStopBits),
                                       Of(kFlowControls)};

}  // namespace

SettingChoices ChoicesOf(SettingCombo combo) {
    return kChoices[static_cast<int>(combo)];
}
