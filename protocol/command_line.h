#pragma once

#include <cstring>
#include <string>

#include "protocol/protocol_constants.h"

// One command line as it goes to the device: the text and a carriage return in a zero-filled
// buffer of COMMAND_BUFFER_SIZE bytes, always NUL-terminated.
struct CommandLine {
    char bytes[COMMAND_BUFFER_SIZE] = {};
    int length = 0;  // bytes to send, the carriage return included

    // The text without its carriage return, as the log shows it.
    std::string Text() const { return std::string(bytes, length > 0 ? length - 1 : 0); }
};

// Puts `text` (up to its first NUL) and a carriage return into `line`. False, with `line`
// left empty, when they and the NUL would not fit: a line is never cut.
[[nodiscard]] inline bool FormatCommandLine(CommandLine& line, const std::string& text) {
    line = CommandLine();
    const size_t length = std::strlen(text.c_str());
    if (length + 2 > sizeof line.bytes) {
        return false;
    }
    std::memcpy(line.bytes, text.c_str(), length);
    line.bytes[length] = '\r';
    line.length = static_cast<int>(length) + 1;
    return true;
}
