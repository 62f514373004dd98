#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_host.h"
#include "protocol/write_steps.h"

namespace {

struct LineCase {
    int step;
    std::function<void(FakeHost&)> set;
    const char* line;  // nullptr: the line cannot be built
};

class WriteLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(WriteLineTest, FormatsIntoTheZeroFilledBuffer) {
    FakeHost fields;
    GetParam().set(fields);
    CommandLine line;
    const bool built = FormatWriteLine(GetParam().step, fields, line);
    if (GetParam().line == nullptr) {
        EXPECT_FALSE(built);
        EXPECT_EQ(line.length, 0);
        EXPECT_EQ(std::string(line.bytes, sizeof line.bytes), std::string(sizeof line.bytes, '\0'));
        return;
    }
    ASSERT_TRUE(built);
    const std::string expected = std::string(GetParam().line) + '\r';
    EXPECT_EQ(std::string(line.bytes, line.length), expected);
    EXPECT_EQ(line.Text(), GetParam().line);
    // Everything after the carriage return stays zero, the NUL included.
    EXPECT_EQ(std::string(line.bytes + line.length, sizeof line.bytes - line.length),
              std::string(sizeof line.bytes - line.length, '\0'));
}

void Nothing(FakeHost&) {}
std::function<void(FakeHost&)> Text(std::string TextFields::*field, std::string value) {
    return [=](FakeHost& f) { f.Texts().*field = value; };
}
const std::string k30(30, '9');  // "!WS !PP " + 30 + CR + NUL is exactly 40 bytes
const std::string k31(31, '9');
const std::string kPort30Line = "!WS !PP " + k30;

// Every setting's format with the dialog's values is pinned by the Write Script sequences;
// these are the edges: the interval's range, a text that just fits, one that does not.
INSTANTIATE_TEST_SUITE_P(
    Steps, WriteLineTest,
    ::testing::Values(
        LineCase{0, Nothing, "!UE 3D9F1B62"},
        LineCase{4, Text(&TextFields::intervalText, " -5s"), "!WS !SO C -500"},
        LineCase{4, Text(&TextFields::intervalText, "21474836"), "!WS !SO C 2147483600"},
        LineCase{4, Text(&TextFields::intervalText, "-21474836"), "!WS !SO C -2147483600"},
        LineCase{4, Text(&TextFields::intervalText, "21474837"), nullptr},
        LineCase{4, Text(&TextFields::intervalText, "-99999999999999999999"), nullptr},
        LineCase{2, Text(&TextFields::hostPortText, k30), kPort30Line.c_str()},
        LineCase{2, Text(&TextFields::hostPortText, k31), nullptr},
        LineCase{5, Text(&TextFields::timeoutText, k31), nullptr},
        LineCase{6, Text(&TextFields::deviceIdText, k31), nullptr},
        LineCase{12, Nothing, nullptr}));

struct ChainCase {
    bool second, interval, timeout, id;
    std::vector<int> steps;
};

class WriteChainTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(WriteChainTest, SkipsOptionalStepsWithBlankFields) {
    FakeHost fields;
    const ChainCase& c = GetParam();
    fields.SetAddress(AddressField::SecondHost, c.second ? 0x01020304 : 0);
    fields.Texts().intervalText = c.interval ? "1" : "";
    fields.Texts().timeoutText = c.timeout ? "1" : "";
    fields.Texts().deviceIdText = c.id ? "1" : "";
    std::vector<int> steps;
    for (int step = 0; step < WRITE_STEP_DONE; step = NextWriteStep(step, fields)) {
        steps.push_back(step);
    }
    EXPECT_EQ(steps, c.steps);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, WriteChainTest,
    ::testing::Values(ChainCase{true, false, false, false, {0, 1, 2, 3, 7, 8, 9, 10, 11}},
                      ChainCase{false, true, false, true, {0, 1, 2, 4, 6, 7, 8, 9, 10, 11}},
                      ChainCase{false, false, true, false, {0, 1, 2, 5, 7, 8, 9, 10, 11}},
                      ChainCase{false, false, false, true, {0, 1, 2, 6, 7, 8, 9, 10, 11}}));

}  // namespace
