#include "ui/agreement_stream.h"

#include "resources/disclaimers/disclaimer_fragments.h"

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
    const char* fragment =
        stream.fragments != nullptr ? stream.fragments[stream.disclaimerReadPos] : nullptr;
    if (fragment == nullptr || buffer == nullptr) {
        return 0;
    }
    const std::size_t length = std::strlen(fragment);
    if (length > static_cast<std::size_t>(capacity < 0 ? 0 : capacity)) {
        return 0;
    }
    std::memcpy(buffer, fragment, length);
    ++stream.disclaimerReadPos;
    return static_cast<int>(length);
}
