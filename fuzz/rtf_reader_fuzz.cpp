// libFuzzer target: the RTF reader on arbitrary bytes. Besides crashes, hangs and sanitizer
// reports it catches a reader whose result depends on how its input was cut into chunks.
//   rtf_reader_fuzz -dict=fuzz/rtf_reader_fuzz.dict fuzz/corpus/rtf
#include "ui/rtf_reader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::size_t kMaxInput = 1 << 20;

QString ReadInPieces(const char* data, int size, int step) {
    QTextDocument document;
    RtfReader reader(document);
    for (int pos = 0; pos < size; pos += step) {
        reader.Feed(data + pos, size - pos < step ? size - pos : step);
    }
    reader.Finish();
    return document.toRawText();
}

}  // namespace

// Text documents take their fonts from the GUI application, which needs a platform.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > kMaxInput) {
        return 0;
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    const int length = static_cast<int>(size);
    const QString whole = ReadInPieces(bytes, length, length);
    const QString pieces = ReadInPieces(bytes, length, 1 + data[0] % 13);
    if (whole != pieces) {
        std::abort();
    }
    return 0;
}
