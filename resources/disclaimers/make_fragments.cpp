// Build tool: compiles the disclaimer documents into constant fragment lists, one fragment per
// line without its line break:   make_fragments OUTPUT.cpp listName=document.rtf...
// Fails (status 1, the reason on stderr) on a document it cannot read or a line it cannot keep
// whole; the output checks at compile time that every fragment fits the reading buffer.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A line with a byte a raw literal cannot carry, or ending in a backslash, in an escape short of
// its digits, or in a control word that the next line's first character would continue.
bool CannotKeepWhole(const std::string& line, const std::string& next) {
    static const std::regex unfinished(R"((^|[^\\])(\\\\)*\\('[0-9a-fA-F]?)?$)");
    static const std::regex word(R"((^|[^\\])(\\\\)*\\[a-zA-Z]+-?[0-9]*$)");
    const bool continues =
        std::isalnum(static_cast<unsigned char>(next[0])) != 0 || next[0] == '-' || next[0] == ' ';
    return std::any_of(line.begin(), line.end(), [](char c) { return c < 0x20 || c > 0x7e; }) ||
           line.find(")rtf\"") != std::string::npos || std::regex_search(line, unfinished) ||
           (continues && std::regex_search(line, word));
}

bool WriteList(std::ostream& out, const std::string& listName, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of('\r') + 1);
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    if (lines.empty()) {
        std::cerr << path << ": cannot be read\n";
        return false;
    }
    std::size_t longest = 0;
    out << "\nconst char* const " << listName << "[] = {\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (CannotKeepWhole(lines[i], i + 1 < lines.size() ? lines[i + 1] : std::string())) {
            std::cerr << path << ":" << i + 1 << ": a line that cannot be kept whole\n";
            return false;
        }
        longest = std::max(longest, lines[i].size());
        out << "    R\"rtf(" << lines[i] << ")rtf\",\n";
    }
    out << "    nullptr,\n};\nstatic_assert(" << longest
        << " <= kDisclaimerChunkCapacity, \"a line of " << listName
        << " does not fit the reading buffer\");\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_fragments OUTPUT.cpp listName=document.rtf...\n";
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from the disclaimer documents by make_fragments.\n"
        << "#include \"resources/disclaimers/disclaimer_fragments.h\"\n";
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos ||
            !WriteList(out, argument.substr(0, equals), argument.substr(equals + 1))) {
            return 1;
        }
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    if (!(file << out.str()).flush()) {
        std::cerr << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
