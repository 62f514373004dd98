#include "protocol/command_line.h"

#include <cstring>

bool FormatCommandLine(CommandLine& line, const std::string& text) {
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
