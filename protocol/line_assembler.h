#pragma once

#include <functional>

#include "protocol/protocol_constants.h"

// Joins received bytes into lines in a zero-filled buffer of LINE_BUFFER_SIZE bytes: a CR ends
// a line, an LF is dropped wherever it occurs, every other byte is stored. A line keeps its
// first LINE_BUFFER_SIZE - 1 bytes; the rest, up to its CR, is dropped and the line is still
// handled once. An incomplete line stays for the next Feed. One thread at a time.
class LineAssembler {
public:
    // Called for each complete line: NUL-terminated, no CR or LF, valid only during the call.
    using LineSink = std::function<void(const char* line)>;

    // Takes `count` bytes in order (nothing when `count` <= 0), calling `sink` for every line
    // they complete.
    void Feed(const char* bytes, int count, const LineSink& sink);

private:
    char line[LINE_BUFFER_SIZE] = {};
    int length = 0;
};
