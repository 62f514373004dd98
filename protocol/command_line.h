#pragma once

#include <string>

#include "protocol/protocol_constants.h"

// One command line as it goes to the device: the text and a carriage return in a zero-filled
// buffer of COMMAND_BUFFER_SIZE bytes, always NUL-terminated.
struct CommandLine {
    char bytes[COMMAND_BUFFER_SIZE] = {};
    int length = 0;  // bytes to send, the carriage return included

    // The text without its carriage return, as the log shows it.
    std::string Text() const;
};

// Formats `format` into `line` and appends the carriage return. Returns false, leaving `line`
// empty, when the text, its carriage return and the NUL would not fit: a line is never cut.
[[nodiscard]] bool FormatCommandLine(CommandLine& line, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
