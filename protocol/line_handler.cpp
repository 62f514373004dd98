#include "protocol/line_handler.h"

#include "protocol/settings_record.h"

namespace {

constexpr const char* kEndLine = "!700";

void HandleListingLine(const char* line, OperationState& state, DeviceFields& fields,
                       LineEvents& events) {
    if (LineBeginsWith(line, kEndLine)) {
        state.opState = Idle;
        events.OnListingDone();
        return;
    }
    // A write lists the device only to count its lines: the operator's values stay.
    if (state.writeMode == 0) {
        ApplySettingReply(line, fields);
    }
    ++state.listedLineCount;
}

// A step waits for "!700"; a device that repeats the command first is still on track.
int HandleStepReply(const char* line, OperationState& state, const char* firstPrefix,
                    const char* secondPrefix) {
    if (LineBeginsWith(line, kEndLine)) {
        state.opState = Idle;
        return 1;
    }
    if (!LineBeginsWith(line, firstPrefix) && !LineBeginsWith(line, secondPrefix)) {
        state.opState = Failed;
    }
    return 0;
}

}  // namespace

void HandleReceivedLine(const char* line, OperationState& state, DeviceFields& fields,
                        LineEvents& events) {
    if (line == nullptr) {
        line = "";
    }
    switch (state.opState) {
        case Listing:
            HandleListingLine(line, state, fields, events);
            break;
        case Writing:
            events.OnWriteReply(HandleStepReply(line, state, "!UE", "!WS"));
            break;
        case Erasing:
            events.OnEraseReply(HandleStepReply(line, state, "!ES", "!UE"));
            break;
        default:
            break;
    }
    events.AddLogLine(LOG_RECV, line);
}
