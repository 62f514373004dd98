// Build tool: compiles the disclaimer documents into constant fragment lists, one fragment per
// line of the document without its line break.
//   make_fragments OUTPUT.cpp listName=document.rtf...
// Fails (status 1, the reason on stderr) on a document it cannot read, a zero byte, or a line
// break whose removal would run a control word or an escape into the next line. The output
// checks at compile time that every fragment fits the reading buffer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

// True when joining `line` to `next` would change the token that `line` ends with.
bool RunsOn(const std::string& line, const std::string& next) {
    enum { Text, Slash, Word, TwoDigits, OneDigit } state = Text;
    for (char c : line) {
        if (state == Slash) {
            state = std::isalpha(static_cast<unsigned char>(c)) ? Word
                    : c == '\''                                 ? TwoDigits
                                                                : Text;
        } else if (state == TwoDigits || state == OneDigit) {
            state = state == TwoDigits ? OneDigit : Text;
        } else if (state != Word || !IsWordChar(c)) {
            state = c == '\\' ? Slash : Text;
        }
    }
    return state == Slash || state == TwoDigits || state == OneDigit ||
           (state == Word && (IsWordChar(next[0]) || next[0] == ' '));
}

std::string Literal(const std::string& fragment) {
    std::string literal = "\"";
    for (unsigned char c : fragment) {
        if (c == '\\' || c == '"' || c == '?') {
            literal += '\\';
        }
        if (c >= 0x20 && c < 0x7f) {
            literal += static_cast<char>(c);
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            literal += octal;
        }
    }
    return literal + "\"";
}

bool WriteList(std::ostream& out, const std::string& listName, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    if (in.bad() || lines.empty()) {
        std::cerr << path << ": cannot be read\n";
        return false;
    }
    std::size_t longest = 0;
    out << "\nconst char* const " << listName << "[] = {\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string::npos ||
            (i + 1 < lines.size() && RunsOn(lines[i], lines[i + 1]))) {
            std::cerr << path << ":" << i + 1 << ": holds a zero byte or ends inside a token\n";
            return false;
        }
        longest = std::max(longest, lines[i].size());
        out << "    " << Literal(lines[i]) << ",\n";
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
