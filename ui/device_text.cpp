#include "ui/device_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

constexpr const char* kKoreanCodePage = "CP949";
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
    std::size_t inLeft = bytes.size();
    char* outPos = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
    iconv_close(converter);
    // Not 0 also when iconv replaced a character it could not convert.
    if (result != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

QString DecodeDeviceText(const std::string& bytes, UiLanguage language) {
    if (!IsAscii(bytes)) {
        const bool korean = language == UiLanguage::Korean;
        for (const char* charset :
             {korean ? kKoreanCodePage : kUtf8, korean ? kUtf8 : kKoreanCodePage}) {
            if (const std::optional<std::string> utf8 = Convert(bytes, charset, kUtf8)) {
                return QString::fromStdString(*utf8);
            }
        }
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string EncodeDeviceText(const QString& text, UiLanguage language) {
    const std::string utf8 = text.toStdString();
    if (language != UiLanguage::Korean || IsAscii(utf8)) {
        return utf8;
    }
    return Convert(utf8, kUtf8, kKoreanCodePage).value_or(utf8);
}

bool ShowsDeviceText(const QString& shown, const std::string& bytes, UiLanguage language) {
    if (IsAscii(bytes)) {
        return shown == QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return shown == DecodeDeviceText(bytes, language);
}
