#include "protocol/line_assembler.h"

#include <cstring>

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr int kMaxLineLength = LINE_BUFFER_SIZE - 1;  // the last byte stays NUL

}  // namespace

void LineAssembler::Feed(const char* bytes, int count, const LineSink& sink) {
    if (bytes == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const char byte = bytes[i];
        if (byte == kCarriageReturn) {
            sink(line);
            std::memset(line, 0, static_cast<size_t>(length));  // the rest is still zero
            length = 0;
        } else if (byte != kLineFeed && length < kMaxLineLength) {
            line[length++] = byte;
        }
    }
}
