// Build tool: compiles the disclaimer documents into constant fragment lists.
//   disclaimer_fragmenter OUTPUT.cpp listName=document.rtf...
// Writes one null-terminated array of string literals per document. Fails (exit status 1, with a
// message on stderr) when a document cannot be read, holds a zero byte, or has a line break whose
// removal would change its meaning.

#include "resources/disclaimers/fragment_split.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Document {
    std::string listName;
    std::string path;
};

bool ParseArgument(const std::string& argument, Document& document) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == argument.size()) {
        return false;
    }
    document.listName = argument.substr(0, equals);
    document.path = argument.substr(equals + 1);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return !in.bad();
}

// One fragment as a C++ string literal: printable ASCII as is, everything else in octal.
std::string Literal(const std::string& fragment) {
    std::string literal = "\"";
    for (unsigned char c : fragment) {
        if (c == '\\' || c == '"' || c == '?') {
            literal += '\\';
            literal += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            literal += static_cast<char>(c);
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            literal += octal;
        }
    }
    return literal + "\"";
}

bool CheckDocument(const Document& document, const std::string& contents) {
    if (contents.find('\0') != std::string::npos) {
        std::cerr << document.path << ": holds a zero byte\n";
        return false;
    }
    const std::size_t unsafe = FindUnsafeBreak(contents);
    if (unsafe != std::string::npos) {
        std::cerr << document.path << ": the line break at byte " << unsafe
                  << " ends a control word or splits an escape\n";
        return false;
    }
    return true;
}

bool WriteList(std::ostream& out, const Document& document) {
    std::string contents;
    if (!ReadWholeFile(document.path, contents)) {
        std::cerr << document.path << ": cannot be read\n";
        return false;
    }
    if (!CheckDocument(document, contents)) {
        return false;
    }
    out << "\nconst char* const " << document.listName << "[] = {\n";
    for (const std::string& fragment : SplitIntoFragments(contents)) {
        out << "    " << Literal(fragment) << ",\n";
    }
    out << "    nullptr,\n};\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: " << argv[0] << " OUTPUT.cpp listName=document.rtf...\n";
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from the disclaimer documents by disclaimer_fragmenter. Do not edit.\n"
        << "#include \"resources/disclaimers/disclaimer_fragments.h\"\n";
    for (int i = 2; i < argc; ++i) {
        Document document;
        if (!ParseArgument(argv[i], document)) {
            std::cerr << "bad argument '" << argv[i] << "': expected listName=document.rtf\n";
            return 1;
        }
        if (!WriteList(out, document)) {
            return 1;
        }
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file.flush()) {
        std::cerr << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
