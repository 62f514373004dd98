#include "ui/agreement_stream.h"

#include "resources/disclaimers/disclaimer_fragments.h"

#include <algorithm>
#include <cstring>

const char* const* DisclaimerFragments(int language) {
    switch (language) {
        case DISCLAIMER_KOREAN:
            return koreanDisclaimer;
        case DISCLAIMER_ENGLISH:
            return englishDisclaimer;
        case DISCLAIMER_FRENCH:
            return frenchDisclaimer;
        default:
            return nullptr;
    }
}

int readDisclaimerChunk(DisclaimerStream& stream, char* buffer, int capacity) {
    if (stream.fragments == nullptr || buffer == nullptr || capacity <= 0) {
        return 0;
    }
    const char* fragment = stream.fragments[stream.disclaimerReadPos];
    // An empty fragment would read as the end of the stream: pass over it.
    while (fragment != nullptr && fragment[stream.fragmentOffset] == '\0') {
        stream.fragmentOffset = 0;
        fragment = stream.fragments[++stream.disclaimerReadPos];
    }
    if (fragment == nullptr) {
        return 0;
    }
    const std::size_t length = std::strlen(fragment);
    const std::size_t count =
        std::min(length - stream.fragmentOffset, static_cast<std::size_t>(capacity));
    std::memcpy(buffer, fragment + stream.fragmentOffset, count);
    stream.fragmentOffset += count;
    if (stream.fragmentOffset == length) {
        stream.fragmentOffset = 0;
        ++stream.disclaimerReadPos;
    }
    return static_cast<int>(count);
}
