// The disclaimer documents, the fragment lists compiled from them, and the cutting rules.
#include "resources/disclaimers/disclaimer_fragments.h"
#include "resources/disclaimers/fragment_split.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Document {
    const char* file;
    const char* const* fragments;
};

const Document kDocuments[] = {
    {"korean.rtf", koreanDisclaimer},
    {"english.rtf", englishDisclaimer},
    {"french.rtf", frenchDisclaimer},
};

std::string ReadDocument(const char* file) {
    std::ifstream in(std::string(QUILLBOX_DISCLAIMER_DIR) + "/" + file, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string WithoutLineBreaks(std::string text) {
    std::string out;
    for (char c : text) {
        if (c != '\n' && c != '\r') {
            out += c;
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& fragments) {
    std::string joined;
    for (const std::string& fragment : fragments) {
        joined += fragment;
    }
    return joined;
}

class DisclaimerList : public testing::TestWithParam<Document> {};

TEST_P(DisclaimerList, FragmentsAreBoundedLinesThatRebuildTheDocument) {
    const std::string document = ReadDocument(GetParam().file);
    ASSERT_FALSE(document.empty()) << GetParam().file;
    std::string joined;
    int count = 0;
    for (const char* const* f = GetParam().fragments; *f != nullptr; ++f, ++count) {
        const std::string fragment(*f);
        EXPECT_GE(fragment.size(), kMinFragment) << count;
        EXPECT_LE(fragment.size(), kMaxFragment) << count;
        EXPECT_EQ(fragment.find_first_of("\r\n"), std::string::npos) << count;
        joined += fragment;
    }
    EXPECT_GT(count, 50);
    EXPECT_EQ(joined, WithoutLineBreaks(document));
}

TEST_P(DisclaimerList, DocumentIsACompleteWordProcessorFile) {
    const std::string document = ReadDocument(GetParam().file);
    EXPECT_EQ(document.rfind("{\\rtf1", 0), 0u);
    const std::string parts =
        "\\ansi|\\ansicpg949|\\deflang1033|\\deflangfe1042|\\fcharset0|\\fcharset129|"
        "\\fcharset2|{\\colortbl|{\\stylesheet|{\\*\\listtable|{\\*\\listoverridetable|{\\info|"
        "{\\*\\themedata|{\\*\\colorschememapping|{\\*\\latentstyles|{\\*\\datastore|"
        "{\\*\\generator|\\uc2\\u82|{\\listtext|\\ls1|\\fi-400|\\cf2|\\b|"
        "Tavrel Systems|example.com";
    std::istringstream wanted(parts);
    for (std::string part; std::getline(wanted, part, '|');) {
        EXPECT_NE(document.find(part), std::string::npos) << GetParam().file << ": " << part;
    }
    EXPECT_EQ(FindUnsafeBreak(document), std::string::npos);
    std::istringstream lines(document);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 300u) << line.substr(0, 40);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, DisclaimerList, testing::ValuesIn(kDocuments),
                         [](const testing::TestParamInfo<Document>& info) {
                             const std::string file = info.param.file;
                             return file.substr(0, file.find('.'));
                         });

TEST(FragmentSplit, ShortLinesJoinTheNextAndAShortTailJoinsTheLast) {
    EXPECT_EQ(SplitIntoFragments("ab\r\ncd\nefghij\n12345678\nxy\n"),
              (std::vector<std::string>{"abcdefghij", "12345678xy"}));
    EXPECT_EQ(SplitIntoFragments("abc"), (std::vector<std::string>{"abc"}));
    EXPECT_TRUE(SplitIntoFragments("").empty());
    EXPECT_TRUE(SplitIntoFragments("\n\n").empty());
}

TEST(FragmentSplit, LongLinesAreCutBeforeATokenWhenThereIsOne) {
    const std::string words = std::string(300, 'a') + "\\par " + std::string(100, 'b') + "{\\b x}";
    const std::vector<std::string> cut = SplitIntoFragments(words);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], std::string(300, 'a'));
    EXPECT_EQ(Joined(cut), words);
    // An escaped backslash or brace is not the start of a token.
    const std::string escaped = std::string(340, 'a') + "\\\\{x" + std::string(10, 'c');
    EXPECT_EQ(SplitIntoFragments(escaped)[0].size(), 342u);
    // Without any token, the cut falls at the limit.
    const std::vector<std::string> plain = SplitIntoFragments(std::string(1000, 'h'));
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0].size(), kMaxFragment);
    EXPECT_EQ(plain[2].size(), 1000 - 2 * kMaxFragment);
}

TEST(FragmentSplit, TailThatDoesNotFitIsSharedWithTheLastFragment) {
    const std::string text = std::string(340, 'a') + "\\b " + std::string(3, 'z') + "\n}}";
    const std::vector<std::string> cut = SplitIntoFragments(text);
    ASSERT_EQ(cut.size(), 2u);
    for (const std::string& fragment : cut) {
        EXPECT_GE(fragment.size(), kMinFragment);
        EXPECT_LE(fragment.size(), kMaxFragment);
    }
    EXPECT_EQ(Joined(cut), WithoutLineBreaks(text));
}

TEST(FragmentSplit, BreaksThatWouldChangeTheDocumentAreFound) {
    const struct {
        const char* text;
        std::size_t unsafe;
    } cases[] = {
        {"\\par\nHello", 4},
        {"\\fi-400\n-", 7},
        {"\\b\n x", 2},
        {"\\'b\n0", 3},
        {"\\\nx", 1},
        {"\\fs24\r\n0", 5},
        {"\\par \nHello", std::string::npos},
        {"\\par\n\\b x", std::string::npos},
        {"text\nmore", std::string::npos},
        {"\\'b0\nx", std::string::npos},
        {"\\\\\nx", std::string::npos},
        {"}\n{", std::string::npos},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindUnsafeBreak(c.text), c.unsafe) << c.text;
    }
}

}  // namespace
