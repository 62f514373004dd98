// The device-text rule: which encoding a value reads in, how many characters it shows, and the
// bytes that typed text reaches the device as.
#include <gtest/gtest.h>

#include <tuple>

#include "protocol/device_text_rule.h"

namespace {

constexpr UiLanguage kEn = UiLanguage::English, kKo = UiLanguage::Korean;
const std::string kUtf8Hangul3 = "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4";  // 가나다
const std::string kCp949Hangul4 = "\xB0\xA1\xB3\xAA\xB4\xD9\xB6\xF3";     // 가나다라
const std::string kUtf8Hangul4 = kUtf8Hangul3 + "\xEB\x9D\xBC";
// 밤밤 in UTF-8, which also forms three characters of code page 949: the language decides.
const std::string kBoth = "\xEB\xB0\xA4\xEB\xB0\xA4";

// Bytes, the interface's language, the encoding they read in, the characters shown, their UTF-8,
// and whether typing that text sends these bytes. Code page 949 has no emoji: a text holding one
// goes whole as UTF-8 rather than lose it.
TEST(DeviceTextRule, ReadsCountsAndSendsByTheInterfacesLanguage) {
    const std::string emoji = "\xEA\xB0\x80\xF0\x9F\x98\x80";
    // clang-format off
    const std::tuple<std::string, UiLanguage, DeviceTextEncoding, size_t, std::string, bool> rows[] = {
        {"ABCDEFGHI", kKo, DeviceTextEncoding::Ascii, 9, "ABCDEFGHI", true},
        {kUtf8Hangul3, kKo, DeviceTextEncoding::Utf8, 3, kUtf8Hangul3, false},
        {kCp949Hangul4, kKo, DeviceTextEncoding::CodePage949, 4, kUtf8Hangul4, true},
        {kCp949Hangul4, kEn, DeviceTextEncoding::CodePage949, 4, kUtf8Hangul4, false},
        {kBoth, kEn, DeviceTextEncoding::Utf8, 2, kBoth, true},
        {kBoth, kKo, DeviceTextEncoding::CodePage949, 3, "\xE8\xAB\x9B\xE3\x85\xBB\xEA\xB0\x87", false},
        {"A\xFF\xFE\x80", kEn, DeviceTextEncoding::Latin1, 4, "A\xC3\xBF\xC3\xBE\xC2\x80", false},
        {emoji, kKo, DeviceTextEncoding::Utf8, 2, emoji, true},
    };
    // clang-format on
    for (const auto& [bytes, language, encoding, length, utf8, typed] : rows) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(DeviceTextEncodingOf(bytes, language), encoding);
        EXPECT_EQ(DeviceTextLength(bytes, language), length);
        EXPECT_EQ(DeviceTextToUtf8(bytes, language), utf8);
        if (typed) {
            EXPECT_EQ(DeviceTextFromUtf8(utf8, language), bytes);
        }
    }
}

}  // namespace
