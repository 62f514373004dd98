// The script file check: what it takes as it is, and the line of every fault.
#include <gtest/gtest.h>

#include "protocol/device_script.h"
#include "protocol/script_file.h"

namespace {

struct FileCase {
    const char* name;
    std::string text;
    std::vector<int> faultyLines;  // empty: taken whole, each setting line as the file holds it
    const char* taken = nullptr;   // the setting lines taken; nullptr: the text as it is
};
void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class ScriptFileCheck : public ::testing::TestWithParam<FileCase> {};

TEST_P(ScriptFileCheck, TakesValidLinesAsTheyAreAndNamesEveryFault) {
    DeviceScript script;
    std::vector<ScriptFileFault> faults;
    const bool taken = ReadScriptFile(GetParam().text, script, faults, UiLanguage::English);
    std::vector<int> lines;
    for (const ScriptFileFault& fault : faults) {
        lines.push_back(fault.line);
        EXPECT_FALSE(fault.reason.empty());
    }
    EXPECT_EQ(lines, GetParam().faultyLines);
    EXPECT_EQ(taken, lines.empty());
    std::string again;
    for (const std::string& line : script.lines) {
        again += line + "\n";
    }
    // A refused file gives nothing.
    EXPECT_EQ(again, taken ? (GetParam().taken ? GetParam().taken : GetParam().text) : "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptFileCheck,
    ::testing::Values(
        // What is taken is the file's own setting lines, comments and blanks left out.
        FileCase{"Partial", "!PA 10.0.0.9\n# c\n\n!pp 4001\n", {}, "!PA 10.0.0.9\n!pp 4001\n"},
        FileCase{"EveryValueAsListed",
                 "!PA 10.1.0.1\n!PP 1470\n!SA 0.0.0.0\n!SO C 3050\n!TC 05\n!SC AB\n!TB 9600\n"
                 "!TP 2\n!TD 7\n!TS 2\n!FC 1\n",
                 {}},
        FileCase{"ByteOrderMark", "\xEF\xBB\xBF!PA 10.0.0.9\n", {}, "!PA 10.0.0.9\n"},
        FileCase{"NotUtf8", "!PP 80\xff\n!TC 5\xc3\n!SC \xfe\xfe\n", {}},
        // Only the host address may not be blank; the second one may.
        FileCase{"BlankHost", "!SA 0.0.0.0\n!PA 0.0.0.0\n!PP 80\n", {2}},
        FileCase{"BadValues",
                 "!PA 10.1.300.1\n!SO C -5\n!SO C 30x0\n!TB 14400\n!TP 3\n!TD 9\n!TC  5\n!PP\n",
                 {1, 2, 3, 4, 5, 6, 7, 8}},
        FileCase{"Unknown", "!XX 1\n!Pa 10.0.0.1\nPA 10.0.0.1\n", {1, 3}},
        FileCase{"Twice", "!PA 10.0.0.1\n!pa 10.0.0.2\n", {2}},
        FileCase{"TooLong", "!PP 1234567890123456789012345678901\n!SC ABCDEFGHI\n", {1, 2}},
        // The ID counts characters: three Hangul in UTF-8, four in code page 949.
        FileCase{"HangulIdUtf8", "!SC \xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4\n", {}},
        FileCase{"HangulIdCp949", "!SC \xBC\xAD\xBF\xEF\xBC\xAD\xBF\xEF\n", {}},
        FileCase{"NineCharacterId",
                 "!SC \xEA\xB0\x80"
                 "ABCDEFGH\n",
                 {1}},
        FileCase{"ControlByte", "!TC 5\x01\n!SC A\x7f\n", {1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// A reason names what the setting takes, or where it was given first, in the interface language.
TEST(ScriptFileReasons, NameTheExampleOrTheFirstLine) {
    const std::tuple<std::string, UiLanguage, std::string> rows[] = {
        {"!TP 3\n", UiLanguage::English, "not a value this setting takes (e.g. 0, 1, 2)"},
        {"!TP 3\n", UiLanguage::Korean, "이 설정에 쓸 수 없는 값입니다 (예: 0, 1, 2)"},
        {"!PA 10.0.0.1\n!pa 10.0.0.2\n", UiLanguage::English,
         "the setting was already given on line 1"},
    };
    for (const auto& [text, language, reason] : rows) {
        DeviceScript script;
        std::vector<ScriptFileFault> faults;
        EXPECT_FALSE(ReadScriptFile(text, script, faults, language));
        EXPECT_EQ(faults.empty() ? "" : faults.back().reason, reason);
    }
}

}  // namespace
