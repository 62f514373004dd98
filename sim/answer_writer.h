#pragma once

#include <string>
#include <string_view>

#include "sim/device_model.h"

// Frames the device's answer lines as they leave on the wire, with the framing faults
// (LF after CR, LF noise) applied. One per call of DeviceModel::Receive; not thread-safe.
class AnswerWriter {
public:
    explicit AnswerWriter(const DeviceFaults& faults) : faults(faults) {}

    // Appends one line and its terminator.
    void Line(std::string_view text);
    // Everything framed so far.
    [[nodiscard]] std::string Take() { return std::move(out); }

private:
    const DeviceFaults& faults;
    std::string out;
};
