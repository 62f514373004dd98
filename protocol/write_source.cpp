#include "protocol/write_source.h"

#include "protocol/write_steps.h"

int FieldsWriteSource::NextStep(int step) {
    return NextWriteStep(step, fields);
}

bool FieldsWriteSource::FormatLine(int step, CommandLine& line) {
    return FormatWriteLine(step, fields, line);
}

WriteRefusal FieldsWriteSource::Refusal(int& step) {
    if (fields.GetAddress(AddressField::Host) == 0) {
        return WriteRefusal::NoHostAddress;
    }
    if (fields.Texts().hostPortText.empty()) {
        return WriteRefusal::NoHostPort;
    }
    step = FirstUnwritableStep(fields);
    return step < 0 ? WriteRefusal::None : WriteRefusal::TooLong;
}

int ScriptWriteSource::NextStep(int step) {
    int next = step + 1;
    while (next < WRITE_STEP_DONE && !script.Has(next - 1)) {
        ++next;
    }
    return next;
}

bool ScriptWriteSource::FormatLine(int step, CommandLine& line) {
    const std::string* setting = step > 0 ? script.Find(step - 1) : nullptr;
    if (step == 0) {
        return FormatCommandLine(line, UNLOCK_LINE);
    }
    // The code as Write Script always sends it; the value as the script holds it.
    return setting != nullptr && FormatCommandLine(line, "!WS " + UpperCaseCode(*setting));
}

WriteRefusal ScriptWriteSource::Refusal(int& step) {
    if (!script.Has(kHostAddressSetting)) {
        return WriteRefusal::NoHostAddress;
    }
    if (!script.Has(kHostPortSetting)) {
        return WriteRefusal::NoHostPort;
    }
    CommandLine line;
    for (step = NextStep(0); step < WRITE_STEP_DONE; step = NextStep(step)) {
        if (!FormatLine(step, line)) {
            return WriteRefusal::TooLong;
        }
    }
    return WriteRefusal::None;
}
