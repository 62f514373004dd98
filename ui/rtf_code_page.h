#pragma once

#include <QString>

#include <iconv.h>

#include <map>

// Code page numbers as RTF documents name them (\ansicpgN, \cpgN), plus the symbol set.
constexpr int kCodePageWestern = 1252;
constexpr int kCodePageKorean = 949;
constexpr int kCodePageSymbol = 42;

// The code page of a font's character set (\fcharsetN); `documentCodePage` for the default set
// and for sets this reader does not know.
[[nodiscard]] int CodePageForCharset(int charset, int documentCodePage);

// Decodes the bytes of one code page into text, one byte at a time, through iconv. A lead byte
// of a double-byte character (code page 949 and the other East Asian pages) is kept until its
// trail byte arrives, however the bytes were escaped or split. Bytes that form no character
// become U+FFFD; an unknown code page is read as Latin-1; the symbol set maps its bullet (0xB7)
// to U+2022. Not thread-safe; never blocks.
class RtfCodePageDecoder {
public:
    RtfCodePageDecoder() = default;
    ~RtfCodePageDecoder();
    RtfCodePageDecoder(const RtfCodePageDecoder&) = delete;
    RtfCodePageDecoder& operator=(const RtfCodePageDecoder&) = delete;

    int CodePage() const { return codePage; }
    // Switches to `page`; a character left incomplete in the old page becomes U+FFFD in `out`.
    void SetCodePage(int page, QString& out);
    // Appends to `out` what `byte` completes: nothing, one character, or U+FFFD and more.
    void Push(unsigned char byte, QString& out);
    // Ends the current character: an incomplete one becomes U+FFFD in `out`.
    void Flush(QString& out);

private:
    static constexpr int kMaxPending = 4;
    static iconv_t Unavailable() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t Converter();
    void Convert(QString& out);

    std::map<int, iconv_t> converters;
    int codePage = kCodePageWestern;
    char pending[kMaxPending] = {};
    int pendingLength = 0;
};
