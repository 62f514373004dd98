#include "ui/rtf_reader.h"

#include "ui/rtf_interpreter.h"
#include "ui/rtf_tokenizer.h"

RtfReader::RtfReader(QTextDocument& document)
    : interpreter(std::make_unique<RtfInterpreter>(document)),
      tokenizer(std::make_unique<RtfTokenizer>(*interpreter)) {}

RtfReader::~RtfReader() = default;

void RtfReader::Feed(const char* data, int length) {
    if (finished || data == nullptr || length <= 0) {
        return;
    }
    tokenizer->Feed(data, static_cast<std::size_t>(length));
}

void RtfReader::Finish() {
    if (finished) {
        return;
    }
    finished = true;
    tokenizer->Finish();
    interpreter->Finish();
}
