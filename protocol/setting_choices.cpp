#include "protocol/setting_choices.h"

namespace {

constexpr const char* kBaudRates[] = {"600",   "1200",  "2400",  "4800",  "9600",
                                      "19200", "38400", "57600", "115200"};
constexpr const char* kParities[] = {"NONE", "EVEN", "ODD"};
constexpr const char* kDataBits[] = {"7", "8"};
constexpr const char* kStopBits[] = {"1", "2"};
constexpr const char* kFlowControls[] = {"NONE", "RTS/CTS"};

template <int N>
SettingChoices Of(const char* const (&items)[N]) {
    return {items, N};
}

}  // namespace

SettingChoices ChoicesOf(SettingCombo combo) {
    switch (combo) {
        case SettingCombo::BaudRate:
            return Of(kBaudRates);
        case SettingCombo::Parity:
            return Of(kParities);
        case SettingCombo::DataBits:
            return Of(kDataBits);
        case SettingCombo::StopBits:
            return Of(kStopBits);
        case SettingCombo::FlowControl:
            return Of(kFlowControls);
    }
    return {nullptr, 0};
}
