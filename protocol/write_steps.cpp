#include "protocol/write_steps.h"

#include <climits>

#include "protocol/settings_record.h"
#include "resources/string_table.h"

namespace {

// The drop-downs send their index, the data and stop bits shifted to the number they mean.
struct SelectionStep {
    const char* prefix;
    SettingCombo combo;
    int offset;
};
constexpr SelectionStep kSelections[] = {{"!WS !TP ", SettingCombo::Parity, 0},
                                         {"!WS !TD ", SettingCombo::DataBits, 7},
                                         {"!WS !TS ", SettingCombo::StopBits, 1},
                                         {"!WS !FC ", SettingCombo::FlowControl, 0}};

// Steps 3 to 6 only.
bool OptionalFieldIsBlank(int step, DeviceFields& fields) {
    const TextFields& texts = fields.Texts();
    return step == 3   ? fields.GetAddress(AddressField::SecondHost) == 0
           : step == 4 ? texts.intervalText.empty()
           : step == 5 ? texts.timeoutText.empty()
                       : texts.deviceIdText.empty();
}

// The text of `step`; empty when the interval in hundredths would not fit an int.
std::string WriteLineText(int step, DeviceFields& fields) {
    const TextFields& texts = fields.Texts();
    switch (step) {
        case 0:
            return UNLOCK_LINE;
        case 1:
            return "!WS !PA " + FormatDotted(fields.GetAddress(AddressField::Host));
        case 2:
            return "!WS !PP " + texts.hostPortText;
        case 3:
            return "!WS !SA " + FormatDotted(fields.GetAddress(AddressField::SecondHost));
        case 4: {
            const long long seconds = ReadDecimal(texts.intervalText.c_str());
            const bool fits = seconds <= INT_MAX / 100 && seconds >= INT_MIN / 100;
            return fits ? "!WS !SO C " + std::to_string(seconds * 100) : std::string();
        }
        case 5:
            return "!WS !TC " + texts.timeoutText;
        case 6:
            return "!WS !SC " + texts.deviceIdText;
        case 7:
            return "!WS !TB " + fields.ItemText(SettingCombo::BaudRate,
                                                fields.GetSelection(SettingCombo::BaudRate));
        default: {
            const SelectionStep& s = kSelections[step - 8];
            return s.prefix + std::to_string(fields.GetSelection(s.combo) + s.offset);
        }
    }
}

}  // namespace

int NextWriteStep(int step, DeviceFields& fields) {
    int next = step + 1;
    while (next >= 3 && next <= 6 && OptionalFieldIsBlank(next, fields)) {
        ++next;
    }
    return next;
}

bool FormatWriteLine(int step, DeviceFields& fields, CommandLine& line) {
    line = CommandLine();
    if (step < 0 || step >= WRITE_STEP_DONE) {
        return false;
    }
    const std::string text = WriteLineText(step, fields);
    return !text.empty() && FormatCommandLine(line, text);
}

int FirstUnwritableStep(DeviceFields& fields) {
    CommandLine line;
    for (int step = 0; step < WRITE_STEP_DONE; step = NextWriteStep(step, fields)) {
        if (!FormatWriteLine(step, fields, line)) {
            return step;
        }
    }
    return -1;
}

int WriteStepCaption(int step) {
    // clang-format off
    static constexpr int kCaptions[WRITE_STEP_DONE] = {
        0, IDS_HOST_ADDRESS, IDS_HOST_PORT, IDS_SECOND_HOST_ADDRESS, IDS_CHECK_INTERVAL,
        IDS_TIMEOUT, IDS_DEVICE_ID, IDS_BAUDRATE, IDS_PARITY, IDS_DATA_BITS, IDS_STOP_BIT,
        IDS_FLOW_CONTROL};
    // clang-format on
    return step >= 0 && step < WRITE_STEP_DONE ? kCaptions[step] : 0;
}
