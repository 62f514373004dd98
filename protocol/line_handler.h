#pragma once

#include "protocol/device_fields.h"
#include "protocol/protocol_constants.h"

// The operation fields that the handling of received lines reads and moves.
struct OperationState {
    int opState = Idle;
    int listedLineCount = 0;
    int writeMode = 0;
};

// Where the handling of a line reports, in this order: the operation notification
// (listing done, write reply or erase reply) first, then the line itself.
class LineEvents {
public:
    virtual ~LineEvents() = default;
    virtual void OnListingDone() = 0;                             // WM_LISTING_DONE
    virtual void OnWriteReply(int confirmed) = 0;                 // WM_WRITE_REPLY, 1 for "!700"
    virtual void OnEraseReply(int confirmed) = 0;                 // WM_ERASE_REPLY, 1 for "!700"
    virtual int AddLogLine(int direction, const char* text) = 0;  // WM_LINE_RECEIVED
};

// Handles one complete received line (NUL-terminated, at most 127 bytes, no CR or LF) by the
// operation state: fills the settings fields during a listing (unless writeMode is 1),
// counts listed lines, moves opState and sends the notifications. User-interface thread.
void HandleReceivedLine(const char* line, OperationState& state, DeviceFields& fields,
                        LineEvents& events);
