#include "ui/agreement_stream.h"

#include <cstring>

#include "resources/disclaimers/disclaimer_fragments.h"

const char* const* DisclaimerFragments(int language) {
    const char* const* const lists[] = {koreanDisclaimer, englishDisclaimer, frenchDisclaimer};
    return language >= DISCLAIMER_KOREAN && language <= DISCLAIMER_FRENCH ? lists[language]
                                                                          : nullptr;
}

int readDisclaimerChunk(DisclaimerStream& stream, char* buffer, int capacity) {
    const char* fragment =
        stream.fragments != nullptr ? stream.fragments[stream.disclaimerReadPos] : nullptr;
    if (fragment == nullptr || buffer == nullptr) {
        return 0;
    }
    const std::size_t length = std::strlen(fragment);
    if (capacity < 0 || length > static_cast<std::size_t>(capacity)) {
        return 0;
    }
    std::memcpy(buffer, fragment, length);
    ++stream.disclaimerReadPos;
    return static_cast<int>(length);
}
