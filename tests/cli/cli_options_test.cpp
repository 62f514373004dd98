// quillbox-cli's command line: every command, options before and after it, "--", and every
// bad form, parsed by the real parser.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_options.h"

namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string> args;  // without the program name
    // command|port|operand|timeout in ms, then |help, |usage-bad, |timeout-bad, |bad=OPTION
    std::string parsed;
    bool posixlyCorrect = false;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Described(const CliOptions& o) {
    static const char* const kNames[] = {"none", "ports", "view",  "write", "delete",
                                         "send", "echo",  "agree", "diff"};
    std::string text = std::string(kNames[static_cast<int>(o.command)]) + "|" + o.port + "|" +
                       o.operand + "|" + std::to_string(o.timeoutMs);
    text += std::string(o.help ? "|help" : "") + (o.usageBad ? "|usage-bad" : "") +
            (o.timeoutBad ? "|timeout-bad" : "");
    return text + (o.badOption.empty() ? "" : "|bad=" + o.badOption);
}

CliOptions Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "quillbox-cli");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    return ParseCliOptions(static_cast<int>(args.size()), argv.data());
}

class CliOptionsTest : public ::testing::TestWithParam<ParseCase> {
protected:
    void TearDown() override { unsetenv("POSIXLY_CORRECT"); }
};

TEST_P(CliOptionsTest, ParsesAsTyped) {
    if (GetParam().posixlyCorrect) {
        setenv("POSIXLY_CORRECT", "1", 1);
    }
    // Twice, after a parse that stopped elsewhere: nothing of one parse reaches the next.
    Parse({"view", "-h", "--", "--timeout", "x"});
    EXPECT_EQ(Described(Parse(GetParam().args)), GetParam().parsed);
    EXPECT_EQ(Described(Parse(GetParam().args)), GetParam().parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOptionsTest,
    ::testing::Values(
        ParseCase{"Ports", {"ports"}, "ports|||5000"},
        ParseCase{"View", {"view", "COM9"}, "view|COM9||5000"},
        ParseCase{"WriteStdin", {"write", "/dev/ttyUSB0", "-"}, "write|/dev/ttyUSB0|-|5000"},
        ParseCase{"Diff", {"diff", "COM9", "unit7.txt"}, "diff|COM9|unit7.txt|5000"},
        ParseCase{"DiffWithoutFile", {"diff", "COM9"}, "diff|COM9||5000|usage-bad"},
        ParseCase{"Delete", {"delete", "COM9"}, "delete|COM9||5000"},
        ParseCase{"Send", {"send", "COM9", "!VS"}, "send|COM9|!VS|5000"},
        ParseCase{"EchoOff", {"echo", "COM9", "off"}, "echo|COM9|off|5000"},
        ParseCase{"Agree", {"agree"}, "agree|||5000"},
        ParseCase{"TimeoutFirst", {"--timeout", "2", "view", "COM9"}, "view|COM9||2000"},
        ParseCase{"TimeoutAfterCommand", {"view", "COM9", "--timeout", "2"}, "view|COM9||2000"},
        ParseCase{"TimeoutBetweenOperands",
                  {"write", "--timeout", "3", "COM9", "f.txt"},
                  "write|COM9|f.txt|3000"},
        ParseCase{
            "TimeoutJoinedLast", {"send", "COM9", "!XX", "--timeout=0.5"}, "send|COM9|!XX|500"},
        ParseCase{"AfterCommandUnderPosixlyCorrect",
                  {"view", "COM9", "--timeout", "2"},
                  "view|COM9||2000",
                  true},
        ParseCase{"DashDashEndsOptions", {"send", "COM9", "--", "-5"}, "send|COM9|-5|5000"},
        ParseCase{"DashDashMakesOptionsOperands",
                  {"view", "COM9", "--", "--timeout", "2"},
                  "view|COM9|--timeout|5000|usage-bad"},
        ParseCase{"UnknownLongOption",
                  {"--verbose", "view", "COM9"},
                  "view|COM9||5000|usage-bad|bad=--verbose"},
        ParseCase{
            "UnknownLetterIsNotSent", {"send", "COM9", "-5"}, "send|COM9||5000|usage-bad|bad=-5"},
        ParseCase{"HelpTakesNoValue", {"--help=1"}, "none|||5000|usage-bad|bad=--help=1"},
        ParseCase{"Help", {"--help"}, "none|||5000|help|usage-bad"},
        ParseCase{"HelpLetterAfterCommand", {"view", "COM9", "-h"}, "view|COM9||5000|help"},
        ParseCase{"HelpWithAnythingElse", {"bogus", "--help", "x"}, "none|||5000|help|usage-bad"},
        ParseCase{
            "TimeoutWithoutValue", {"view", "COM9", "--timeout"}, "view|COM9||5000|timeout-bad"},
        ParseCase{"TimeoutZero", {"--timeout", "0", "view", "COM9"}, "view|COM9||5000|timeout-bad"},
        ParseCase{"TimeoutOverAnHour", {"--timeout=3601", "ports"}, "ports|||5000|timeout-bad"},
        ParseCase{"TimeoutNotANumber", {"--timeout=nan", "ports"}, "ports|||5000|timeout-bad"},
        ParseCase{"TimeoutEmpty", {"--timeout=", "ports"}, "ports|||5000|timeout-bad"},
        ParseCase{"Nothing", {}, "none|||5000|usage-bad"},
        ParseCase{"UnknownCommand", {"erase", "COM9"}, "none|||5000|usage-bad"},
        ParseCase{"PortsTakesNoOperand", {"ports", "COM9"}, "ports|COM9||5000|usage-bad"},
        ParseCase{"ViewTooMany", {"view", "COM9", "x"}, "view|COM9|x|5000|usage-bad"},
        ParseCase{"EchoMaybe", {"echo", "COM9", "maybe"}, "echo|COM9|maybe|5000|usage-bad"},
        ParseCase{
            "SendTwoLines", {"send", "COM9", "!VS\r!VS"}, "send|COM9|!VS\r!VS|5000|usage-bad"},
        ParseCase{"SendNothing", {"send", "COM9", ""}, "send|COM9||5000|usage-bad"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
