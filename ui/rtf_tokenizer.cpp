#include "ui/rtf_tokenizer.h"

namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(unsigned char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

RtfTokenizer::RtfTokenizer(RtfTokenSink& sink) : sink(sink) {
    word.reserve(kMaxWordLength);
}

void RtfTokenizer::Feed(const char* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        Step(static_cast<unsigned char>(data[i]));
    }
}

void RtfTokenizer::Finish() {
    if (state == State::Word || state == State::Sign) {
        EmitWord(false);
    } else if (state == State::Parameter) {
        EmitWord(true);
    }
    state = State::Text;
}

void RtfTokenizer::Step(unsigned char c) {
    switch (state) {
        case State::Text:
            StepText(c);
            break;
        case State::Backslash:
            StepBackslash(c);
            break;
        case State::Word:
            StepWord(c);
            break;
        case State::Sign:
        case State::Parameter:
            StepParameter(c);
            break;
        case State::Hex:
            StepHex(c);
            break;
        case State::Binary:
            if (--binaryLeft <= 0) {
                state = State::Text;
            }
            break;
    }
}

void RtfTokenizer::StepText(unsigned char c) {
    switch (c) {
        case '{':
            sink.OnGroupStart();
            break;
        case '}':
            sink.OnGroupEnd();
            break;
        case '\\':
            state = State::Backslash;
            break;
        case '\r':
        case '\n':
            break;
        default:
            sink.OnByte(c, false);
    }
}

void RtfTokenizer::StepBackslash(unsigned char c) {
    if (IsLetter(c)) {
        word.assign(1, static_cast<char>(c));
        state = State::Word;
        return;
    }
    state = State::Text;
    if (c == '\'') {
        hexValue = 0;
        hexDigits = 0;
        state = State::Hex;
    } else if (c == '\\' || c == '{' || c == '}') {
        sink.OnByte(c, true);
    } else if (c == '\r') {
        sink.OnControlSymbol('\n');
    } else {
        sink.OnControlSymbol(static_cast<char>(c));
    }
}

void RtfTokenizer::StepWord(unsigned char c) {
    if (IsLetter(c)) {
        if (word.size() < kMaxWordLength) {
            word += static_cast<char>(c);
        }
        return;
    }
    negative = false;
    parameter = 0;
    if (c == '-') {
        negative = true;
        state = State::Sign;
        return;
    }
    if (IsDigit(c)) {
        state = State::Parameter;
        StepParameter(c);
        return;
    }
    EmitWord(false);
    if (c != ' ') {
        Step(c);
    }
}

void RtfTokenizer::StepParameter(unsigned char c) {
    if (IsDigit(c)) {
        state = State::Parameter;
        parameter = parameter * 10 + (c - '0');
        if (parameter > kMaxParameter) {
            parameter = kMaxParameter;
        }
        return;
    }
    const bool hasParam = state == State::Parameter;
    EmitWord(hasParam);
    if (!hasParam) {
        // A lone '-' after a word is not a parameter: it is text.
        Step('-');
    }
    if (c != ' ' || !hasParam) {
        Step(c);
    }
}

void RtfTokenizer::StepHex(unsigned char c) {
    const int digit = HexDigit(c);
    if (digit < 0) {
        // A cut-off escape: drop it and read the byte as ordinary input.
        state = State::Text;
        Step(c);
        return;
    }
    hexValue = hexValue * 16 + digit;
    if (++hexDigits == 2) {
        state = State::Text;
        sink.OnByte(static_cast<unsigned char>(hexValue), true);
    }
}

void RtfTokenizer::EmitWord(bool hasParam) {
    const int value = static_cast<int>(negative ? -parameter : parameter);
    state = State::Text;
    sink.OnControlWord(word, hasParam, hasParam ? value : 0);
    if (hasParam && value > 0 && word == "bin") {
        binaryLeft = value;
        state = State::Binary;
    }
}
