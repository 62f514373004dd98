#pragma once

#include "protocol/command_line.h"
#include "protocol/device_fields.h"

// The write sequence: step 0 unlocks the device, steps 1 to 11 each store one setting, in a
// fixed order; steps 3 to 6 (second host address, interval, timeout, ID) are skipped while
// their field is blank. WRITE_STEP_DONE follows the last step.
constexpr int WRITE_STEP_DONE = 12;

// The step that follows `step` with the fields as they are now.
int NextWriteStep(int step, DeviceFields& fields);

// Builds the line of `step` from the fields as they are now. False, with `line` left empty,
// when the line would not fit its buffer or the interval in hundredths would not fit an int.
[[nodiscard]] bool FormatWriteLine(int step, DeviceFields& fields, CommandLine& line);

// The first step that the sequence would send whose line cannot be built; -1 when every line
// can. Lets a write be refused before anything on the device is touched.
int FirstUnwritableStep(DeviceFields& fields);

// String id of the caption of the field that `step` writes; 0 for the unlock step.
int WriteStepCaption(int step);
