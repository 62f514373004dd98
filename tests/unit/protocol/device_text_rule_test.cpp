// The device-text rule: which encoding a value reads in, and how many characters it shows.
#include <gtest/gtest.h>

#include "protocol/device_text_rule.h"

namespace {

struct TextCase {
    const char* name;
    std::string bytes;
    UiLanguage language;
    DeviceTextEncoding encoding;
    size_t length;
    std::string utf8;  // what the operator sees
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceTextRuleTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(DeviceTextRuleTest, ReadsInTheInterfacesOrderAndCountsCharacters) {
    const TextCase& c = GetParam();
    EXPECT_EQ(DeviceTextEncodingOf(c.bytes, c.language), c.encoding);
    EXPECT_EQ(DeviceTextLength(c.bytes, c.language), c.length);
    EXPECT_EQ(DeviceTextToUtf8(c.bytes, c.language), c.utf8);
}

const std::string kUtf8Hangul3 = "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4";  // 가나다
const std::string kCp949Hangul4 = "\xB0\xA1\xB3\xAA\xB4\xD9\xB6\xF3";     // 가나다라
const std::string kUtf8Hangul4 = "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4\xEB\x9D\xBC";
// 밤밤 in UTF-8, which also forms three characters of code page 949: the language decides.
const std::string kBoth = "\xEB\xB0\xA4\xEB\xB0\xA4";

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceTextRuleTest,
    ::testing::Values(TextCase{"AsciiEnglish", "UNIT7", UiLanguage::English,
                               DeviceTextEncoding::Ascii, 5, "UNIT7"},
                      TextCase{"AsciiKorean", "ABCDEFGHI", UiLanguage::Korean,
                               DeviceTextEncoding::Ascii, 9, "ABCDEFGHI"},
                      TextCase{"Empty", "", UiLanguage::Korean, DeviceTextEncoding::Ascii, 0, ""},
                      TextCase{"Utf8HangulEnglish", kUtf8Hangul3, UiLanguage::English,
                               DeviceTextEncoding::Utf8, 3, kUtf8Hangul3},
                      TextCase{"Utf8HangulKorean", kUtf8Hangul3, UiLanguage::Korean,
                               DeviceTextEncoding::Utf8, 3, kUtf8Hangul3},
                      TextCase{"Cp949HangulKorean", kCp949Hangul4, UiLanguage::Korean,
                               DeviceTextEncoding::CodePage949, 4,
                               "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4\xEB\x9D\xBC"},
                      TextCase{"Cp949HangulEnglish", kCp949Hangul4, UiLanguage::English,
                               DeviceTextEncoding::CodePage949, 4, kUtf8Hangul4},
                      TextCase{"BothEnglishReadsUtf8", kBoth, UiLanguage::English,
                               DeviceTextEncoding::Utf8, 2, kBoth},
                      TextCase{"BothKoreanReadsCp949", kBoth, UiLanguage::Korean,
                               DeviceTextEncoding::CodePage949, 3,
                               "\xE8\xAB\x9B\xE3\x85\xBB\xEA\xB0\x87"},
                      TextCase{"InvalidAsLatin1English", "A\xFF\xFE\x80", UiLanguage::English,
                               DeviceTextEncoding::Latin1, 4, "A\xC3\xBF\xC3\xBE\xC2\x80"},
                      TextCase{"InvalidAsLatin1Korean", "\xB0\xA1\xFF", UiLanguage::Korean,
                               DeviceTextEncoding::Latin1, 3, "\xC2\xB0\xC2\xA1\xC3\xBF"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TypedCase {
    const char* name;
    std::string utf8;
    UiLanguage language;
    std::string bytes;  // as the device gets them
};

void PrintTo(const TypedCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceTextTypedTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(DeviceTextTypedTest, ReachesTheDeviceInTheInterfacesEncodingAndReadsBack) {
    const TypedCase& c = GetParam();
    EXPECT_EQ(DeviceTextFromUtf8(c.utf8, c.language), c.bytes);
    EXPECT_EQ(DeviceTextToUtf8(c.bytes, c.language), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceTextTypedTest,
    ::testing::Values(
        TypedCase{"HangulKorean", kUtf8Hangul4, UiLanguage::Korean, kCp949Hangul4},
        TypedCase{"HangulEnglish", kUtf8Hangul4, UiLanguage::English, kUtf8Hangul4},
        TypedCase{"AsciiKorean", "UNIT7", UiLanguage::Korean, "UNIT7"},
        // Code page 949 has no emoji: the whole text goes as UTF-8 rather than lose one.
        TypedCase{"BeyondCp949Korean", "\xEA\xB0\x80\xF0\x9F\x98\x80", UiLanguage::Korean,
                  "\xEA\xB0\x80\xF0\x9F\x98\x80"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
