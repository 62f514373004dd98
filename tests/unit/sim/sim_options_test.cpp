#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/demo_script.h"

namespace {

using Args = std::vector<std::string>;

TEST(SimOptions, DefaultsEveryOptionAndStoredLinesInCommandLineOrder) {
    SimOptions defaults;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({}, &defaults, &error)) << error;
    EXPECT_EQ(defaults.comNumber, 9);
    EXPECT_TRUE(defaults.storedLines.empty());

    SimOptions options;
    const Args args = {"--com",   "30",       "--links-dir",  "/x/ports",       "--silent",
                       "--split", "--crlf",   "--lower-case", "--noise",        "--long-lines",
                       "--echo",  "--delay",  "250",          "--wrong-answer", "4",
                       "--line",  "!TB 9600", "--demo",       "--line",         "!PA abc"};
    ASSERT_TRUE(ParseSimOptions(args, &options, &error)) << error;
    EXPECT_EQ(options.comNumber, 30);
    EXPECT_EQ(options.linksDir, "/x/ports");
    EXPECT_EQ(options.answerDelayMs, 250);
    const DeviceFaults& f = options.faults;
    EXPECT_TRUE(f.silent && f.splitAnswers && f.lfAfterCr && f.lowerCaseCodes && f.noise &&
                f.overLongLines && f.echoOn);
    EXPECT_EQ(f.wrongAnswerAt, 4);
    std::vector<std::string> expected = DemoScript();
    expected.insert(expected.begin(), "!TB 9600");
    expected.push_back("!PA abc");
    EXPECT_EQ(options.storedLines, expected);
}

class SimOptionsBad : public testing::TestWithParam<Args> {};

TEST_P(SimOptionsBad, RefusedWithAReason) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseSimOptions(GetParam(), &options, &error));
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SimOptionsBad,
    testing::Values(Args{"--bogus"}, Args{"9"}, Args{"--com"}, Args{"--com", "0"},
                    Args{"--com", "31"}, Args{"--com", "abc"}, Args{"--com", "9x"},
                    Args{"--com", " 9"}, Args{"--com", "99999999999999"}, Args{"--delay", "-5"},
                    Args{"--delay", "1e3"}, Args{"--delay", "60001"}, Args{"--wrong-answer", "-1"},
                    Args{"--wrong-answer"}, Args{"--line", ""}, Args{"--line", "!PA 1\r2"},
                    Args{"--links-dir", ""}, Args{"--script", "/nonexistent/quillbox/script.txt"}));

TEST(SimOptions, ScriptSkipsCommentsAndBlankLinesAndNamesALineWithAControlCharacter) {
    std::istringstream in("# stored script\r\n!PA 10.1.0.1\r\n\n   \n!SO C 3000\n#!PP 1\n!SC A B");
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(ReadScript(in, &lines, &error)) << error;
    EXPECT_EQ(lines, (std::vector<std::string>{"!PA 10.1.0.1", "!SO C 3000", "!SC A B"}));

    std::istringstream bad(
        "!PA 10.1.0.1\n!PP 14\x01"
        "70\n");
    EXPECT_FALSE(ReadScript(bad, &lines, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

}  // namespace
