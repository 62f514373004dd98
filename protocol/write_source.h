#pragma once

#include "protocol/command_line.h"
#include "protocol/device_fields.h"
#include "protocol/device_script.h"
#include "protocol/session_outcome.h"

// Where a write takes its lines from. Step 0 unlocks the device; steps 1 to 11 each store one
// setting, in write order; WRITE_STEP_DONE follows the last. User-interface thread.
class WriteSource {
public:
    virtual ~WriteSource() = default;
    // The step that follows `step`, skipping settings that are not to be written.
    virtual int NextStep(int step) = 0;
    // The line of `step` as it is now; false when it cannot be built (too long for the line).
    [[nodiscard]] virtual bool FormatLine(int step, CommandLine& line) = 0;
    // Why nothing may be written as things are (no host address or port, a value too long,
    // with the step in `step`); WriteRefusal::None when all can be.
    virtual WriteRefusal Refusal(int& step) = 0;
};

// The window's fields, read afresh at every step: an optional setting whose field is blank is
// skipped, the drop-down lists are always written.
class FieldsWriteSource : public WriteSource {
public:
    explicit FieldsWriteSource(DeviceFields& fields) : fields(fields) {}
    int NextStep(int step) override;
    bool FormatLine(int step, CommandLine& line) override;
    WriteRefusal Refusal(int& step) override;

private:
    DeviceFields& fields;
};

// A script's own lines, each sent as "!WS " and the line; settings it does not give are not
// written. The script must outlive the write.
class ScriptWriteSource : public WriteSource {
public:
    explicit ScriptWriteSource(const DeviceScript& script) : script(script) {}
    int NextStep(int step) override;
    bool FormatLine(int step, CommandLine& line) override;
    WriteRefusal Refusal(int& step) override;

private:
    const DeviceScript& script;
};
