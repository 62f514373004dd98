#include "resources/disclaimers/fragment_split.h"

#include <cctype>

namespace {

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// What the scanner is in the middle of when it meets a line break.
enum class Scan { Text, Backslash, Word, Hex };

// Advances the scanner over one byte that is not a line break.
Scan Step(Scan state, char c, int& hexDigits) {
    switch (state) {
        case Scan::Backslash:
            if (IsLetter(c)) {
                return Scan::Word;
            }
            hexDigits = 0;
            return c == '\'' ? Scan::Hex : Scan::Text;
        case Scan::Word:
            if (IsLetter(c) || IsDigit(c) || c == '-') {
                return Scan::Word;
            }
            break;
        case Scan::Hex:
            return ++hexDigits < 2 ? Scan::Hex : Scan::Text;
        case Scan::Text:
            break;
    }
    return c == '\\' ? Scan::Backslash : Scan::Text;
}

// The first byte after the run of line breaks that starts at `pos`, or '\0' at the end.
char AfterBreaks(const std::string& text, std::size_t pos) {
    while (pos < text.size() && IsLineBreak(text[pos])) {
        ++pos;
    }
    return pos < text.size() ? text[pos] : '\0';
}

bool ContinuesWord(char c) {
    return IsLetter(c) || IsDigit(c) || c == '-' || c == ' ';
}

std::vector<std::string> Lines(const std::string& document) {
    std::vector<std::string> lines(1);
    for (char c : document) {
        if (c == '\n') {
            lines.emplace_back();
        } else if (c != '\r') {
            lines.back() += c;
        }
    }
    return lines;
}

// True when a group brace or a backslash at `pos` starts a token (it is not itself escaped).
bool StartsToken(const std::string& text, std::size_t pos) {
    const char c = text[pos];
    if (c != '\\' && c != '{' && c != '}') {
        return false;
    }
    std::size_t backslashes = 0;
    while (backslashes < pos && text[pos - 1 - backslashes] == '\\') {
        ++backslashes;
    }
    return backslashes % 2 == 0;
}

// The longest prefix of `text` of at most `limit` bytes (and at least kMinFragment) that ends
// between two tokens; `limit` itself when there is no such place.
std::size_t CutPoint(const std::string& text, std::size_t limit) {
    for (std::size_t pos = limit; pos >= kMinFragment; --pos) {
        if (StartsToken(text, pos)) {
            return pos;
        }
    }
    return limit;
}

// Moves the short tail into the last fragment, cutting the joined text again when it is too long.
void AttachTail(std::vector<std::string>& fragments, std::string tail) {
    if (fragments.empty()) {
        fragments.push_back(std::move(tail));
        return;
    }
    std::string joined = fragments.back() + tail;
    fragments.pop_back();
    if (joined.size() > kMaxFragment) {
        const std::size_t cut = CutPoint(joined, joined.size() - kMinFragment);
        fragments.push_back(joined.substr(0, cut));
        joined.erase(0, cut);
    }
    fragments.push_back(std::move(joined));
}

}  // namespace

std::size_t FindUnsafeBreak(const std::string& document) {
    Scan state = Scan::Text;
    int hexDigits = 0;
    for (std::size_t pos = 0; pos < document.size(); ++pos) {
        const char c = document[pos];
        if (!IsLineBreak(c)) {
            state = Step(state, c, hexDigits);
            continue;
        }
        if (state == Scan::Backslash || state == Scan::Hex) {
            return pos;
        }
        if (state == Scan::Word && ContinuesWord(AfterBreaks(document, pos))) {
            return pos;
        }
        state = Scan::Text;
    }
    return std::string::npos;
}

std::vector<std::string> SplitIntoFragments(const std::string& document) {
    std::vector<std::string> fragments;
    std::string pending;
    for (const std::string& line : Lines(document)) {
        pending += line;
        while (pending.size() > kMaxFragment) {
            const std::size_t cut = CutPoint(pending, kMaxFragment);
            fragments.push_back(pending.substr(0, cut));
            pending.erase(0, cut);
        }
        if (pending.size() >= kMinFragment) {
            fragments.push_back(std::move(pending));
            pending.clear();
        }
    }
    if (!pending.empty()) {
        AttachTail(fragments, std::move(pending));
    }
    return fragments;
}
