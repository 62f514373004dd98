#include "ui/rtf_code_page.h"

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

constexpr QChar kReplacement(0xFFFD);
constexpr QChar kBullet(0x2022);

struct CharsetPage {
    int charset;
    int codePage;
};

// The Windows character sets that RTF font tables name, with their code pages.
constexpr CharsetPage kCharsetPages[] = {
    {0, kCodePageWestern},
    {2, kCodePageSymbol},
    {77, 10000},
    {128, 932},
    {129, kCodePageKorean},
    {130, 1361},
    {134, 936},
    {136, 950},
    {161, 1253},
    {162, 1254},
    {163, 1258},
    {177, 1255},
    {178, 1256},
    {186, 1257},
    {204, 1251},
    {222, 874},
    {238, 1250},
    {255, 437},
};

std::string IconvName(int codePage) {
    return codePage == 10000 ? "MACINTOSH" : "CP" + std::to_string(codePage);
}

}  // namespace

int CodePageForCharset(int charset, int documentCodePage) {
    for (const CharsetPage& entry : kCharsetPages) {
        if (entry.charset == charset) {
            return entry.codePage;
        }
    }
    return documentCodePage;
}

RtfCodePageDecoder::~RtfCodePageDecoder() {
    for (auto& [page, converter] : converters) {
        if (converter != Unavailable()) {
            iconv_close(converter);
        }
    }
}

void RtfCodePageDecoder::SetCodePage(int page, QString& out) {
    if (page != codePage) {
        Flush(out);
        codePage = page;
    }
}

void RtfCodePageDecoder::Push(unsigned char byte, QString& out) {
    if (pendingLength == 0 && byte < 0x80) {
        out += QChar(byte);
        return;
    }
    if (codePage == kCodePageSymbol) {
        out += byte == 0xB7 ? kBullet : QChar(byte);
        return;
    }
    pending[pendingLength++] = static_cast<char>(byte);
    Convert(out);
}

void RtfCodePageDecoder::Flush(QString& out) {
    if (pendingLength > 0) {
        out += kReplacement;
        pendingLength = 0;
    }
}

iconv_t RtfCodePageDecoder::Converter() {
    auto found = converters.find(codePage);
    if (found == converters.end()) {
        const iconv_t opened = iconv_open("UTF-8", IconvName(codePage).c_str());
        found = converters.emplace(codePage, opened).first;
    }
    return found->second;
}

// Converts the pending bytes: keeps them while they are the start of a character, replaces the
// first one by U+FFFD while they cannot be one, and emits the character once complete.
void RtfCodePageDecoder::Convert(QString& out) {
    const iconv_t converter = Converter();
    if (converter == Unavailable()) {
        out += QChar(static_cast<unsigned char>(pending[0]));
        pendingLength = 0;
        return;
    }
    while (pendingLength > 0) {
        char input[kMaxPending];
        std::copy(pending, pending + pendingLength, input);
        char* in = input;
        std::size_t inLeft = static_cast<std::size_t>(pendingLength);
        char output[16];
        char* outPos = output;
        std::size_t outLeft = sizeof output;
        const std::size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
        const int error = errno;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (result != static_cast<std::size_t>(-1)) {
            out += QString::fromUtf8(output, static_cast<int>(outPos - output));
            pendingLength = 0;
            return;
        }
        if (error == EINVAL && pendingLength < kMaxPending) {
            return;
        }
        out += kReplacement;
        std::copy(pending + 1, pending + pendingLength, pending);
        --pendingLength;
        if (pendingLength > 0 && static_cast<unsigned char>(pending[0]) < 0x80) {
            out += QChar(static_cast<unsigned char>(pending[0]));
            std::copy(pending + 1, pending + pendingLength, pending);
            --pendingLength;
        }
    }
}
