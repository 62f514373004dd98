#include "protocol/command_line.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

std::string CommandLine::Text() const {
    return length > 0 ? std::string(bytes, static_cast<size_t>(length) - 1) : std::string();
}

bool FormatCommandLine(CommandLine& line, const char* format, ...) {
    std::memset(line.bytes, 0, sizeof line.bytes);
    line.length = 0;
    // Room for the text: the buffer less the carriage return and the NUL.
    constexpr int kTextRoom = COMMAND_BUFFER_SIZE - 2;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(line.bytes, kTextRoom + 1, format, arguments);
    va_end(arguments);
    if (written < 0 || written > kTextRoom) {
        std::memset(line.bytes, 0, sizeof line.bytes);
        return false;
    }
    line.bytes[written] = '\r';
    line.length = written + 1;
    return true;
}
