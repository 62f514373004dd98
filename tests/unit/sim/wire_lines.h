#pragma once

#include <string>
#include <vector>

// Reads device output the way the far side of the line does: CR ends a line, LF is dropped
// wherever it occurs. Bytes after the last CR are returned as a final, unfinished entry.
inline std::vector<std::string> WireLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\r') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\n') {
            line.push_back(c);
        }
    }
    if (!line.empty()) {
        lines.push_back(line + "<unfinished>");
    }
    return lines;
}

// True when `line` is an answer the host would take as a refusal: it begins with none of the
// prefixes it accepts from the device.
inline bool IsRefusal(const std::string& line) {
    for (const char* accepted : {"!700", "!UE", "!WS", "!ES"}) {
        if (line.rfind(accepted, 0) == 0) {
            return false;
        }
    }
    return true;
}
