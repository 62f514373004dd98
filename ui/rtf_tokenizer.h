#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Receives the tokens of an RTF stream in order.
class RtfTokenSink {
public:
    virtual ~RtfTokenSink() = default;

    virtual void OnGroupStart() = 0;
    virtual void OnGroupEnd() = 0;
    // A control word such as \fs24; `param` is meaningful only when `hasParam` is true.
    virtual void OnControlWord(std::string_view word, bool hasParam, int param) = 0;
    // A control symbol other than the escapes below: \~ \- \_ \* \: \| and \<line break>
    // (reported as '\n').
    virtual void OnControlSymbol(char symbol) = 0;
    // One byte of text: a literal byte, or `escaped` for \'hh, \\, \{ and \}. Line breaks in the
    // stream carry no meaning and are never reported.
    virtual void OnByte(unsigned char byte, bool escaped) = 0;
};

// Cuts an RTF byte stream into tokens. The stream may arrive in pieces of any size, split
// anywhere, even inside a control word or an escape: the tokenizer keeps the partial token.
// Bounded in every way: a control word keeps at most kMaxWordLength letters, a numeric parameter
// saturates at +-kMaxParameter, and \binN data is skipped byte by byte as it arrives.
// Not thread-safe; one thread feeds it. Never blocks.
class RtfTokenizer {
public:
    static constexpr std::size_t kMaxWordLength = 32;
    static constexpr long long kMaxParameter = 2147483647;

    explicit RtfTokenizer(RtfTokenSink& sink);

    void Feed(const char* data, std::size_t length);
    // Ends the stream: a control word still being read is reported, a cut-off escape dropped.
    void Finish();

private:
    enum class State { Text, Backslash, Word, Sign, Parameter, Hex, Binary };

    void Step(unsigned char c);
    void StepText(unsigned char c);
    void StepBackslash(unsigned char c);
    void StepWord(unsigned char c);
    void StepParameter(unsigned char c);
    void StepHex(unsigned char c);
    void EmitWord(bool hasParam);

    RtfTokenSink& sink;
    State state = State::Text;
    std::string word;
    bool negative = false;
    long long parameter = 0;
    int hexValue = 0;
    int hexDigits = 0;
    long long binaryLeft = 0;
};
