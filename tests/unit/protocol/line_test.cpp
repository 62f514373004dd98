// Line assembly and the reading of settings replies.
#include <gtest/gtest.h>

#include "fake_host.h"
#include "protocol/settings_record.h"

namespace {

using Lines = std::vector<std::string>;
const std::string k127(127, 'x');

// CR ends a line, LF is dropped anywhere, a line keeps its first 127 bytes.
TEST(LineAssembly, CutsReadsIntoLines) {
    const std::pair<Lines, Lines> cases[] = {
        {{"\n!P\nA 1\n\r\n"}, {"!PA 1"}},
        {{"!TB 96", "00\r!700\r!S"}, {"!TB 9600", "!700"}},
        {{"abcdef\rab\r\r"}, {"abcdef", "ab", ""}},
        {{k127 + "\r", k127 + "y\r"}, {k127, k127}},
        {{std::string(100, 'x'), std::string(200, 'x'), "\r!700\r"}, {k127, "!700"}}};
    for (const auto& [reads, expected] : cases) {
        LineAssembler assembler;
        Lines lines;
        for (const std::string& read : reads) {
            assembler.Feed(read.data(), int(read.size()),
                           [&](const char* l) { lines.push_back(l); });
        }
        EXPECT_EQ(lines, expected);
    }
}

// A listing's lines, as fields: upper and lower case alike, garbage addresses give
// 255.255.255.255, the interval needs its sub-field and is shown in seconds, an unknown baud
// rate selects 115200, a digit that selects nothing leaves the list alone.
TEST(SettingReplies, FillTheirFields) {
    const std::pair<Lines, const char*> cases[] = {
        {{"!pa 192.168.0.10", "!sa 10.1", "!tb 9600", "!tp 2", "!td 7", "!ts 2", "!fc 1",
          "!so c 100", "!tc 5", "!sc ab"},
         "192.168.0.10|1470|10.0.0.1|1|5|ab|9600|ODD|7|2|RTS/CTS"},
        {{"!PA abc", "!SO C -250", "!TB 9600", "!TB 14400"},
         "255.255.255.255|1470|0.0.0.0|-2|||115200|NONE|8|1|NONE"},
        {{"!SO C \t+99999999999999999999x"},
         "10.1.0.1|1470|0.0.0.0|92233720368547758|||115200|NONE|8|1|NONE"},
        {{"!SO c 100", "!so C 1", "!SO C100", "!SO", "!TP 5", "!TD 9", "!Pa 1.2.3.4", "!PA",
          "!700 !PA 1.2.3.4"},
         "10.1.0.1|1470|0.0.0.0||||115200|NONE|8|1|NONE"}};
    for (const auto& [lines, fields] : cases) {
        FakeHost host;
        for (const std::string& line : lines) {
            ApplySettingReply(line.c_str(), host);
        }
        EXPECT_EQ(host.FieldsLine(), fields);
    }
}

}  // namespace
