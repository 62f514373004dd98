// vdm-r30-sim's command line: every knob, values joined or apart, "--", and every bad form,
// parsed by the real parser.
#include <gtest/gtest.h>

#include "sim/demo_script.h"
#include "sim/sim_options.h"
#include "tests/unit/link/temp_tree.h"

namespace {

struct SimCase {
    const char* name;
    std::vector<std::string> args;  // "SCRIPT" stands for a script file in a temporary folder
    // com|delay ms|wrong answer|links folder|stored lines joined by ';', then the faults and
    // |help; or "error: " and the reason
    std::string parsed;
};

void PrintTo(const SimCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Described(const SimOptions& o) {
    std::string text = std::to_string(o.comNumber) + "|" + std::to_string(o.answerDelayMs) + "|" +
                       std::to_string(o.faults.wrongAnswerAt) + "|" + o.linksDir + "|";
    for (const std::string& line : o.storedLines) {
        text += line + ";";
    }
    const DeviceFaults& f = o.faults;
    text += std::string(f.silent ? "|silent" : "") + (f.splitAnswers ? "|split" : "") +
            (f.lfAfterCr ? "|crlf" : "") + (f.lowerCaseCodes ? "|lower-case" : "") +
            (f.noise ? "|noise" : "") + (f.overLongLines ? "|long-lines" : "") +
            (f.echoOn ? "|echo" : "");
    return text + (o.help ? "|help" : "");
}

class SimOptionsTest : public ::testing::TestWithParam<SimCase> {
protected:
    std::string Parse() {
        std::vector<std::string> args = GetParam().args;
        for (std::string& arg : args) {
            arg = arg == "SCRIPT" ? tree.Path("script.txt") : arg;
        }
        SimOptions options;
        options.linksDir = "/run/links";
        std::string error;
        return ParseSimOptions(args, &options, &error) ? Described(options) : "error: " + error;
    }
    TempTree tree;
};

TEST_P(SimOptionsTest, ParsesAsTyped) {
    tree.WriteFile("script.txt", "# stored\n!PA 1.2.3.4\r\n\n!TB 9600\n");
    // Twice: nothing of one parse reaches the next.
    EXPECT_EQ(Parse(), GetParam().parsed);
    EXPECT_EQ(Parse(), GetParam().parsed);
}

std::string DemoLines() {
    std::string lines;
    for (const std::string& line : DemoScript()) {
        lines += line + ";";
    }
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimOptionsTest,
    ::testing::Values(
        SimCase{"Defaults", {}, "9|0|-1|/run/links|"},
        SimCase{"EveryFault",
                {"--silent", "--split", "--crlf", "--lower-case", "--noise", "--long-lines",
                 "--echo", "--wrong-answer", "4"},
                "9|0|4|/run/links||silent|split|crlf|lower-case|noise|long-lines|echo"},
        SimCase{"ValuesApart",
                {"--com", "30", "--delay", "250", "--links-dir", "/tmp/l"},
                "30|250|-1|/tmp/l|"},
        SimCase{"ValuesJoined",
                {"--com=12", "--delay=60000", "--wrong-answer=0"},
                "12|60000|0|/run/links|"},
        SimCase{"LinesInOrder",
                {"--line", "!SC A", "--demo", "--line", "!SC B"},
                "9|0|-1|/run/links|!SC A;" + DemoLines() + "!SC B;"},
        SimCase{"ScriptFile", {"--script", "SCRIPT"}, "9|0|-1|/run/links|!PA 1.2.3.4;!TB 9600;"},
        SimCase{"ValueMayLookLikeAnOption", {"--line", "--silent"}, "9|0|-1|/run/links|--silent;"},
        SimCase{"DashDashAlone", {"--echo", "--"}, "9|0|-1|/run/links||echo"},
        SimCase{"Help", {"--help"}, "9|0|-1|/run/links||help"},
        SimCase{"HelpLetter", {"--demo", "-h"}, "9|0|-1|/run/links|" + DemoLines() + "|help"},
        SimCase{"Operand", {"9"}, "error: unexpected argument 9"},
        SimCase{"OperandAfterDashDash", {"--", "--silent"}, "error: unexpected argument --silent"},
        SimCase{"ComTooHigh", {"--com", "31"}, "error: bad value for --com: \"31\""},
        SimCase{"ComZero", {"--com=0"}, "error: bad value for --com: \"0\""},
        SimCase{
            "ComOverflow", {"--com", "99999999999"}, "error: bad value for --com: \"99999999999\""},
        SimCase{"DelayExponent", {"--delay", "1e3"}, "error: bad value for --delay: \"1e3\""},
        SimCase{"WrongAnswerNegative",
                {"--wrong-answer", "-1"},
                "error: bad value for --wrong-answer: \"-1\""},
        SimCase{"LineWithCr", {"--line", "!PA 1\r2"}, "error: bad value for --line: \"!PA 1\r2\""},
        SimCase{"EmptyLinksDir", {"--links-dir="}, "error: bad value for --links-dir: \"\""},
        SimCase{"ComWithoutValue", {"--com"}, "error: --com needs a value"},
        SimCase{"UnknownLong", {"--quiet"}, "error: unknown option --quiet"},
        SimCase{"UnknownLetter", {"-x"}, "error: unknown option -x"},
        SimCase{"FlagWithValue", {"--silent=1"}, "error: unknown option --silent=1"},
        SimCase{"NoScript",
                {"--script", "/nonexistent/quillbox/script.txt"},
                "error: cannot read script /nonexistent/quillbox/script.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

// A control byte in a script file is named with its line.
TEST(SimOptionsScript, AControlByteIsRefusedWithItsLine) {
    TempTree tree;
    tree.WriteFile("bad.txt",
                   "!PA 1.2.3.4\n!SC A\x1b"
                   "B\n");
    SimOptions options;
    std::string error;
    EXPECT_FALSE(ParseSimOptions({"--script", tree.Path("bad.txt")}, &options, &error));
    EXPECT_EQ(error, tree.Path("bad.txt") + ": line 2 holds a control character");
}

}  // namespace
