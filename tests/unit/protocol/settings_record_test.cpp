#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "fake_host.h"
#include "protocol/settings_record.h"

namespace {

// Every setting field as text, so that a case can say which one a line changes.
std::map<std::string, std::string> Snapshot(FakeHost& fields) {
    const TextFields& texts = fields.Texts();
    auto item = [&](SettingCombo combo) {
        return fields.ItemText(combo, fields.GetSelection(combo));
    };
    return {{"PA", FormatDotted(fields.GetAddress(AddressField::Host))},
            {"PP", texts.hostPortText},
            {"SA", FormatDotted(fields.GetAddress(AddressField::SecondHost))},
            {"SO", texts.intervalText},
            {"TC", texts.timeoutText},
            {"SC", texts.deviceIdText},
            {"TB", item(SettingCombo::BaudRate)},
            {"TP", item(SettingCombo::Parity)},
            {"TD", item(SettingCombo::DataBits)},
            {"TS", item(SettingCombo::StopBits)},
            {"FC", item(SettingCombo::FlowControl)}};
}

struct ReplyCase {
    const char* line;
    const char* field;  // "" when the line changes nothing
    const char* value;
};

class SettingReplyTest : public ::testing::TestWithParam<ReplyCase> {};

// Selections start away from the values the digits pick, so that every pick shows.
TEST_P(SettingReplyTest, FillsOnlyItsField) {
    FakeHost fields;
    fields.SetSelection(SettingCombo::BaudRate, 0);
    fields.SetSelection(SettingCombo::Parity, 1);
    fields.SetSelection(SettingCombo::StopBits, 1);
    fields.SetSelection(SettingCombo::FlowControl, 1);
    std::map<std::string, std::string> expected = Snapshot(fields);
    if (*GetParam().field != '\0') {
        expected[GetParam().field] = GetParam().value;
    }
    // An exact-size copy, so that a read past the line's end is caught by the sanitizer.
    const std::string text = GetParam().line;
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');
    ApplySettingReply(line.data(), fields);
    EXPECT_EQ(Snapshot(fields), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingReplyTest,
    ::testing::Values(
        ReplyCase{"!PA 192.168.0.10", "PA", "192.168.0.10"},
        ReplyCase{"!pa 192.168.0.10", "PA", "192.168.0.10"},
        ReplyCase{"!PA abc", "PA", "255.255.255.255"},
        ReplyCase{"!PA 255.255.255.255", "PA", "255.255.255.255"},
        ReplyCase{"!PA ", "PA", "255.255.255.255"}, ReplyCase{"!PA 10.1", "PA", "10.0.0.1"},
        ReplyCase{"!PA 0x7f.1", "PA", "127.0.0.1"},
        ReplyCase{"!sa 192.168.0.2", "SA", "192.168.0.2"}, ReplyCase{"!PP 1470x", "PP", "1470x"},
        ReplyCase{"!pp ", "PP", ""}, ReplyCase{"!TC 5", "TC", "5"},
        ReplyCase{"!sc abcdefghijk", "SC", "abcdefghijk"}, ReplyCase{"!SO C 3050", "SO", "30"},
        ReplyCase{"!SO C -250", "SO", "-2"}, ReplyCase{"!SO C -99", "SO", "0"},
        ReplyCase{"!so c 100", "SO", "1"}, ReplyCase{"!SO C \t +4200x", "SO", "42"},
        ReplyCase{"!SO C abc", "SO", "0"},
        ReplyCase{"!SO C 99999999999999999999", "SO", "92233720368547758"},
        ReplyCase{"!SO c 100", "", ""}, ReplyCase{"!so C 100", "", ""},
        ReplyCase{"!SO C100", "", ""}, ReplyCase{"!SO C", "", ""}, ReplyCase{"!SO ", "", ""},
        ReplyCase{"!TB 9600", "TB", "9600"}, ReplyCase{"!tb 9600", "TB", "9600"},
        ReplyCase{"!TB 14400", "TB", "115200"}, ReplyCase{"!TB 9600 ", "TB", "115200"},
        ReplyCase{"!TB ", "TB", "115200"}, ReplyCase{"!TP 2", "TP", "ODD"},
        ReplyCase{"!tp 0", "TP", "NONE"}, ReplyCase{"!TP 01", "TP", "NONE"},
        ReplyCase{"!TP 5", "", ""}, ReplyCase{"!TP ", "", ""}, ReplyCase{"!TD 7", "TD", "7"},
        ReplyCase{"!TD 9", "", ""}, ReplyCase{"!ts 1", "TS", "1"}, ReplyCase{"!TS 3", "", ""},
        ReplyCase{"!FC 0", "FC", "NONE"}, ReplyCase{"!FC 2", "", ""},
        ReplyCase{"!Pa 1.2.3.4", "", ""}, ReplyCase{"!PA", "", ""},
        ReplyCase{"!PAX1.2.3.4", "", ""}, ReplyCase{"PA 1.2.3.4", "", ""},
        ReplyCase{"!700", "", ""}, ReplyCase{"", "", ""}));

struct DecimalCase {
    const char* text;
    long long value;
};

class ReadDecimalTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(ReadDecimalTest, ReadsLikeStrtolWithoutOverflow) {
    EXPECT_EQ(ReadDecimal(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadDecimalTest,
                         ::testing::Values(DecimalCase{"42", 42}, DecimalCase{"  -7x", -7},
                                           DecimalCase{"+5", 5}, DecimalCase{"abc", 0},
                                           DecimalCase{"", 0}, DecimalCase{"-", 0},
                                           DecimalCase{"- 5", 0}, DecimalCase{"1 2", 1},
                                           DecimalCase{"\t\n\v\f\r 12", 12}, DecimalCase{"0x10", 0},
                                           DecimalCase{"9223372036854775807", LLONG_MAX},
                                           DecimalCase{"9223372036854775808", LLONG_MAX},
                                           DecimalCase{"-9223372036854775808", LLONG_MIN},
                                           DecimalCase{"-99999999999999999999", LLONG_MIN}));

TEST(AddressText, DottedFormParsesBackToTheSameAddress) {
    const std::vector<std::pair<uint32_t, std::string>> cases = {{0, "0.0.0.0"},
                                                                 {0x0A010001, "10.1.0.1"},
                                                                 {0xC0A80002, "192.168.0.2"},
                                                                 {0xFFFFFFFF, "255.255.255.255"}};
    for (const auto& [address, dotted] : cases) {
        EXPECT_EQ(FormatDotted(address), dotted);
        EXPECT_EQ(ParseAddress(dotted.c_str()), address) << dotted;
    }
}

}  // namespace
