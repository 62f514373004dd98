// quillbox-cli's command line: every command, options before and after it, "--", and every
// bad form, parsed by the real parser.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_options.h"

namespace {

// command|port|operand|timeout in ms, then |help, |usage-bad, |timeout-bad, |bad=OPTION
std::string Parsed(const std::vector<std::string>& args) {
    static const char* const kNames[] = {"none", "ports", "view",  "write", "delete",
                                         "send", "echo",  "agree", "diff"};
    std::vector<const char*> argv = {"quillbox-cli"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    const CliOptions o = ParseCliOptions(static_cast<int>(argv.size()), argv.data());
    return std::string(kNames[static_cast<int>(o.command)]) + "|" + o.port + "|" + o.operand + "|" +
           std::to_string(o.timeoutMs) + (o.help ? "|help" : "") +
           (o.usageBad ? "|usage-bad" : "") + (o.timeoutBad ? "|timeout-bad" : "") +
           (o.badOption.empty() ? "" : "|bad=" + o.badOption);
}

TEST(CliOptions, ParsesAsTyped) {
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"ports"}, "ports|||5000"},
        {{"view", "COM9", "--timeout", "2"}, "view|COM9||2000"},
        {{"write", "/dev/ttyUSB0", "-"}, "write|/dev/ttyUSB0|-|5000"},
        {{"diff", "COM9", "unit7.txt"}, "diff|COM9|unit7.txt|5000"},
        {{"diff", "COM9"}, "diff|COM9||5000|usage-bad"},
        {{"delete", "COM9"}, "delete|COM9||5000"},
        {{"--timeout=0.1", "send", "COM9", "!XX"}, "send|COM9|!XX|100"},
        {{"echo", "COM9", "off"}, "echo|COM9|off|5000"},
        {{"echo", "COM9", "on"}, "echo|COM9|on|5000"},
        {{"agree"}, "agree|||5000"},
        {{"send", "COM9", "--", "-5"}, "send|COM9|-5|5000"},
        {{"--verbose", "view", "COM9"}, "view|COM9||5000|usage-bad|bad=--verbose"},
        {{"send", "COM9", "-5"}, "send|COM9||5000|usage-bad|bad=-5"},
        {{"--help=1"}, "none|||5000|usage-bad|bad=--help=1"},
        {{"--help"}, "none|||5000|help|usage-bad"},
        {{"view", "COM9", "-h"}, "view|COM9||5000|help"},
        {{"view", "COM9", "--timeout"}, "view|COM9||5000|timeout-bad"},
        {{"--timeout", "0", "view", "COM9"}, "view|COM9||5000|timeout-bad"},
        {{"--timeout=3600", "ports"}, "ports|||3600000"},
        {{"--timeout=3601", "ports"}, "ports|||5000|timeout-bad"},
        {{"--timeout=nan", "ports"}, "ports|||5000|timeout-bad"},
        {{"--timeout=2s", "ports"}, "ports|||5000|timeout-bad"},
        {{"erase", "COM9"}, "none|||5000|usage-bad"},
        {{"view", "COM9", "x"}, "view|COM9|x|5000|usage-bad"},
        {{"echo", "COM9", "maybe"}, "echo|COM9|maybe|5000|usage-bad"},
        {{"send", "COM9", "!VS\r!VS"}, "send|COM9|!VS\r!VS|5000|usage-bad"},
        {{"send", "COM9", ""}, "send|COM9||5000|usage-bad"},
    };
    // clang-format on
    // Options after the command count also under POSIXLY_CORRECT; every parse follows another
    // that stopped elsewhere, and nothing of one reaches the next.
    for (const bool posixlyCorrect : {false, true}) {
        posixlyCorrect ? setenv("POSIXLY_CORRECT", "1", 1) : unsetenv("POSIXLY_CORRECT");
        for (const auto& [args, parsed] : rows) {
            EXPECT_EQ(Parsed(args), parsed);
        }
    }
    unsetenv("POSIXLY_CORRECT");
}

}  // namespace
