#include "protocol/line_assembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct AssemblyCase {
    const char* name;
    std::vector<std::string> reads;  // fed one after the other
    std::vector<std::string> lines;  // complete lines expected, in order
};

void PrintTo(const AssemblyCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<std::string> Assemble(LineAssembler& assembler, const std::vector<std::string>& reads) {
    std::vector<std::string> lines;
    for (const std::string& read : reads) {
        assembler.Feed(read.data(), static_cast<int>(read.size()), [&](const char* line) {
            EXPECT_LT(std::strlen(line), static_cast<size_t>(LINE_BUFFER_SIZE));
            lines.emplace_back(line);
        });
    }
    return lines;
}

class LineAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(LineAssembly, CutsBytesIntoLines) {
    LineAssembler assembler;
    EXPECT_EQ(Assemble(assembler, GetParam().reads), GetParam().lines);
}

const std::string k127(127, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, LineAssembly,
    ::testing::Values(
        AssemblyCase{"OneLine", {"!PA 192.168.0.10\r"}, {"!PA 192.168.0.10"}},
        AssemblyCase{"CrLf", {"!PA 192.168.0.10\r\n"}, {"!PA 192.168.0.10"}},
        AssemblyCase{"LfAnywhere", {"\n!P\nA 1\n\r\n"}, {"!PA 1"}},
        AssemblyCase{"SplitOverReads", {"!TB 96", "00\r"}, {"!TB 9600"}},
        AssemblyCase{"ByteByByte", {"!", "7", "0", "0", "\r"}, {"!700"}},
        AssemblyCase{"SeveralInOneRead", {"!PP 1470\r!700\r!S"}, {"!PP 1470", "!700"}},
        AssemblyCase{"PartialKept", {"ab", "cd", "\r"}, {"abcd"}},
        AssemblyCase{"EmptyLines", {"\r\r"}, {"", ""}},
        AssemblyCase{"LineFeedsOnly", {"\n\n\n"}, {}},
        AssemblyCase{"NoEndYet", {"!PA 10.1.0.1"}, {}},
        AssemblyCase{"ShorterLineAfterLonger", {"abcdef\rab\r"}, {"abcdef", "ab"}},
        AssemblyCase{"ExactlyFits", {k127 + "\r"}, {k127}},
        AssemblyCase{"OneTooMany", {k127 + "y\r"}, {k127}},
        AssemblyCase{
            "OverLongCutAndNextIntact", {std::string(300, 'x') + "\r!700\r"}, {k127, "!700"}},
        AssemblyCase{"OverLongOverReads",
                     {std::string(100, 'x'), std::string(100, 'z'), "\r"},
                     {std::string(100, 'x') + std::string(27, 'z')}},
        AssemblyCase{"OtherBytesKept", {"\x7f\xff\x01\t \r"}, {"\x7f\xff\x01\t "}}));

TEST(LineAssemblyInput, NothingToTakeDoesNothing) {
    LineAssembler assembler;
    int calls = 0;
    const auto count = [&](const char*) { ++calls; };
    assembler.Feed(nullptr, 5, count);
    assembler.Feed("a\r", -1, count);
    assembler.Feed("a\r", 0, count);
    EXPECT_EQ(calls, 0);
    std::vector<std::string> lines;
    assembler.Feed("\r", 1, [&](const char* line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, std::vector<std::string>{""});
}

TEST(LineAssemblyInput, EmbeddedNulEndsTheTextButNotTheLine) {
    LineAssembler assembler;
    const char bytes[] = {'a', '\0', 'b', '\r', 'c', '\r'};
    std::vector<std::string> lines;
    assembler.Feed(bytes, sizeof bytes, [&](const char* line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "c"}));
}

}  // namespace
