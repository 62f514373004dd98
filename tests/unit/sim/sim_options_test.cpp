// vdm-r30-sim's command line: every knob, values joined or apart, "--", and every bad form,
// parsed by the real parser.
#include <gtest/gtest.h>

#include "sim/demo_script.h"
#include "sim/sim_options.h"
#include "tests/unit/link/temp_tree.h"

namespace {

// com|delay ms|wrong answer|links folder|stored lines joined by ';', then the faults and |help;
// or "error: " and the reason.
std::string Parsed(const std::vector<std::string>& args) {
    SimOptions o;
    o.linksDir = "/run/links";
    std::string error;
    if (!ParseSimOptions(args, &o, &error)) {
        return "error: " + error;
    }
    std::string text = std::to_string(o.comNumber) + "|" + std::to_string(o.answerDelayMs) + "|" +
                       std::to_string(o.faults.wrongAnswerAt) + "|" + o.linksDir + "|";
    for (const std::string& line : o.storedLines) {
        text += line + ";";
    }
    const DeviceFaults& f = o.faults;
    return text + (f.silent ? "|silent" : "") + (f.splitAnswers ? "|split" : "") +
           (f.lfAfterCr ? "|crlf" : "") + (f.lowerCaseCodes ? "|lower-case" : "") +
           (f.noise ? "|noise" : "") + (f.overLongLines ? "|long-lines" : "") +
           (f.echoOn ? "|echo" : "") + (o.help ? "|help" : "");
}

TEST(SimOptions, ParsesAsTyped) {
    TempTree tree;
    tree.WriteFile("script.txt", "# stored\n!PA 1.2.3.4\r\n\n!TB 9600\n");
    tree.WriteFile("bad.txt", "!PA 1.2.3.4\n!SC A\033B\n");
    const std::string good = tree.Path("script.txt"), bad = tree.Path("bad.txt"),
                      none = tree.Path("none.txt");
    std::string demo;
    for (const std::string& line : DemoScript()) {
        demo += line + ";";
    }
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{}, "9|0|-1|/run/links|"},
        {{"--silent", "--split", "--crlf", "--lower-case", "--noise", "--long-lines", "--echo", "--wrong-answer", "4"},
         "9|0|4|/run/links||silent|split|crlf|lower-case|noise|long-lines|echo"},
        {{"--com", "30", "--delay=60000", "--wrong-answer=0", "--links-dir", "/tmp/l"}, "30|60000|0|/tmp/l|"},
        {{"--line", "!SC A", "--demo", "--line", "!SC B"}, "9|0|-1|/run/links|!SC A;" + demo + "!SC B;"},
        {{"--script", good}, "9|0|-1|/run/links|!PA 1.2.3.4;!TB 9600;"},
        {{"--help", "-h"}, "9|0|-1|/run/links||help"},
        {{"9"}, "error: unexpected argument 9"},
        {{"--", "--silent"}, "error: unexpected argument --silent"},
        {{"--com", "31"}, "error: bad value for --com: \"31\""},
        {{"--com=0"}, "error: bad value for --com: \"0\""},
        {{"--com", "99999999999"}, "error: bad value for --com: \"99999999999\""},
        {{"--delay", "1e3"}, "error: bad value for --delay: \"1e3\""},
        {{"--wrong-answer", "-1"}, "error: bad value for --wrong-answer: \"-1\""},
        {{"--line", "!PA 1\r2"}, "error: bad value for --line: \"!PA 1\r2\""},
        {{"--links-dir="}, "error: bad value for --links-dir: \"\""},
        {{"--com"}, "error: --com needs a value"},
        {{"--quiet"}, "error: unknown option --quiet"},
        {{"-x"}, "error: unknown option -x"},
        {{"--silent=1"}, "error: unknown option --silent=1"},
        {{"--script", none}, "error: cannot read script " + none},
        {{"--script", bad}, "error: " + bad + ": line 2 holds a control character"},
    };
    // clang-format on
    // Every parse follows another: nothing of one reaches the next.
    for (const auto& [args, parsed] : rows) {
        EXPECT_EQ(Parsed(args), parsed);
    }
}

}  // namespace
