#include "protocol/device_text_rule.h"

#include <iconv.h>

#include <algorithm>
#include <optional>

namespace {

constexpr const char* kCodePage949 = "CP949";
constexpr const char* kUtf8 = "UTF-8";

bool IsAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// `bytes` converted from one character set to another, or nothing when any byte does not form
// a character of `from` or a character has no form in `to`.
std::optional<std::string> Convert(const std::string& bytes, const char* from, const char* to) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    // Four bytes of output per input byte hold any character of these sets.
    std::string out(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPos = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
    iconv_close(converter);
    // Not 0 also when iconv replaced a character it could not convert.
    if (result != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string utf8;
    for (const unsigned char byte : bytes) {
        if (byte < 0x80) {
            utf8 += static_cast<char>(byte);
        } else {
            utf8 += static_cast<char>(0xC0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// The one place that holds the order: the encoding `bytes` read in, and their UTF-8.
DeviceTextEncoding Decode(const std::string& bytes, UiLanguage language, std::string& utf8) {
    if (IsAscii(bytes)) {
        utf8 = bytes;
        return DeviceTextEncoding::Ascii;
    }
    const bool korean = language == UiLanguage::Korean;
    for (const DeviceTextEncoding encoding :
         {korean ? DeviceTextEncoding::CodePage949 : DeviceTextEncoding::Utf8,
          korean ? DeviceTextEncoding::Utf8 : DeviceTextEncoding::CodePage949}) {
        const char* charset = encoding == DeviceTextEncoding::Utf8 ? kUtf8 : kCodePage949;
        if (std::optional<std::string> converted = Convert(bytes, charset, kUtf8)) {
            utf8 = std::move(*converted);
            return encoding;
        }
    }
    utf8 = Latin1ToUtf8(bytes);
    return DeviceTextEncoding::Latin1;
}

}  // namespace

DeviceTextEncoding DeviceTextEncodingOf(const std::string& bytes, UiLanguage language) {
    std::string utf8;
    return Decode(bytes, language, utf8);
}

std::string DeviceTextToUtf8(const std::string& bytes, UiLanguage language) {
    std::string utf8;
    Decode(bytes, language, utf8);
    return utf8;
}

size_t DeviceTextLength(const std::string& bytes, UiLanguage language) {
    const std::string utf8 = DeviceTextToUtf8(bytes, language);
    // Every code point has exactly one byte that is not a continuation byte (10xxxxxx).
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string DeviceTextFromUtf8(const std::string& utf8, UiLanguage language) {
    if (language != UiLanguage::Korean || IsAscii(utf8)) {
        return utf8;
    }
    return Convert(utf8, kUtf8, kCodePage949).value_or(utf8);
}
