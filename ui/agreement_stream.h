#pragma once

// The disclaimer language numbers: they select the fragment list of the text shown.
enum DisclaimerLanguage : int {
    DISCLAIMER_KOREAN = 0,
    DISCLAIMER_ENGLISH = 1,
    DISCLAIMER_FRENCH = 2,
};

// The fragment list of disclaimer language `language`, or nullptr for another number.
[[nodiscard]] const char* const* DisclaimerFragments(int language);

// A stream-in of a fragment list: the index of the next fragment to hand out.
struct DisclaimerStream {
    const char* const* fragments = nullptr;
    int disclaimerReadPos = 0;
};

// Hands out the next whole fragment: copies it to `buffer` and returns its length; 0 at the end
// of the list, for a null list or buffer, or for a fragment longer than `capacity` (which the
// compiled lists never hold), so nothing is written past the buffer.
// Any thread, for its own stream; never blocks.
[[nodiscard]] int readDisclaimerChunk(DisclaimerStream& stream, char* buffer, int capacity);
