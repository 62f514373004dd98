#pragma once

#include <cstddef>

// The disclaimer language numbers: they select the fragment list of the text shown.
enum DisclaimerLanguage : int {
    DISCLAIMER_KOREAN = 0,
    DISCLAIMER_ENGLISH = 1,
    DISCLAIMER_FRENCH = 2,
};

// The fragment list of disclaimer language `language`, or nullptr for another number.
[[nodiscard]] const char* const* DisclaimerFragments(int language);

// The position of a stream-in in a fragment list: the next fragment to hand out and how much of
// it has been handed out already.
struct DisclaimerStream {
    const char* const* fragments = nullptr;
    int disclaimerReadPos = 0;
    std::size_t fragmentOffset = 0;
};

// Hands out the next piece of the document: the rest of the current fragment, or as much of it
// as `capacity` allows (the rest follows on the next call). Returns the number of bytes placed
// in `buffer`, 0 at the end of the list (or for a null list, buffer or capacity <= 0).
// Any thread, for its own stream; never blocks.
[[nodiscard]] int readDisclaimerChunk(DisclaimerStream& stream, char* buffer, int capacity);
