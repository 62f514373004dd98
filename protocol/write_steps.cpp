#include "protocol/write_steps.h"

#include <climits>

#include "protocol/settings_record.h"
#include "resources/string_table.h"

namespace {

constexpr int kFirstOptionalStep = 3;
constexpr int kLastOptionalStep = 6;
constexpr long long kHundredthsPerSecond = 100;

bool OptionalFieldIsBlank(int step, DeviceFields& fields) {
    const TextFields& texts = fields.Texts();
    switch (step) {
        case 3:
            return fields.GetAddress(AddressField::SecondHost) == 0;
        case 4:
            return texts.intervalText.empty();
        case 5:
            return texts.timeoutText.empty();
        case 6:
            return texts.deviceIdText.empty();
        default:
            return false;
    }
}

bool FormatInterval(DeviceFields& fields, CommandLine& line) {
    const long long seconds = ReadDecimal(fields.Texts().intervalText.c_str());
    if (seconds > INT_MAX / kHundredthsPerSecond || seconds < INT_MIN / kHundredthsPerSecond) {
        return false;
    }
    return FormatCommandLine(line, "!WS !SO C %d",
                             static_cast<int>(seconds * kHundredthsPerSecond));
}

bool FormatAddress(const char* format, AddressField field, DeviceFields& fields,
                   CommandLine& line) {
    return FormatCommandLine(line, format, FormatDotted(fields.GetAddress(field)).c_str());
}

// The drop-downs send their index, the data and stop bits shifted to the number they mean.
bool FormatSelection(const char* format, SettingCombo combo, int offset, DeviceFields& fields,
                     CommandLine& line) {
    return FormatCommandLine(line, format, fields.GetSelection(combo) + offset);
}

}  // namespace

int NextWriteStep(int step, DeviceFields& fields) {
    int next = step + 1;
    while (next >= kFirstOptionalStep && next <= kLastOptionalStep &&
           OptionalFieldIsBlank(next, fields)) {
        ++next;
    }
    return next;
}

bool FormatWriteLine(int step, DeviceFields& fields, CommandLine& line) {
    const TextFields& texts = fields.Texts();
    switch (step) {
        case 0:
            return FormatCommandLine(line, "%s", UNLOCK_LINE);
        case 1:
            return FormatAddress("!WS !PA %s", AddressField::Host, fields, line);
        case 2:
            return FormatCommandLine(line, "!WS !PP %s", texts.hostPortText.c_str());
        case 3:
            return FormatAddress("!WS !SA %s", AddressField::SecondHost, fields, line);
        case 4:
            return FormatInterval(fields, line);
        case 5:
            return FormatCommandLine(line, "!WS !TC %s", texts.timeoutText.c_str());
        case 6:
            return FormatCommandLine(line, "!WS !SC %s", texts.deviceIdText.c_str());
        case 7: {
            const int selected = fields.GetSelection(SettingCombo::BaudRate);
            const std::string baudRate = fields.ItemText(SettingCombo::BaudRate, selected);
            return FormatCommandLine(line, "!WS !TB %s", baudRate.c_str());
        }
        case 8:
            return FormatSelection("!WS !TP %d", SettingCombo::Parity, 0, fields, line);
        case 9:
            return FormatSelection("!WS !TD %d", SettingCombo::DataBits, 7, fields, line);
        case 10:
            return FormatSelection("!WS !TS %d", SettingCombo::StopBits, 1, fields, line);
        case 11:
            return FormatSelection("!WS !FC %d", SettingCombo::FlowControl, 0, fields, line);
        default:
            return false;
    }
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
    static constexpr int kCaptions[WRITE_STEP_DONE] = {
        0,
        IDS_HOST_ADDRESS,
        IDS_HOST_PORT,
        IDS_SECOND_HOST_ADDRESS,
        IDS_CHECK_INTERVAL,
        IDS_TIMEOUT,
        IDS_DEVICE_ID,
        IDS_BAUDRATE,
        IDS_PARITY,
        IDS_DATA_BITS,
        IDS_STOP_BIT,
        IDS_FLOW_CONTROL,
    };
    return step >= 0 && step < WRITE_STEP_DONE ? kCaptions[step] : 0;
}
