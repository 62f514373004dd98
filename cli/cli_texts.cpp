#include "cli/cli_texts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string Tr(const char* english, const char* korean, std::initializer_list<std::string> values) {
    std::string text = DetectUiLanguage() == UiLanguage::Korean ? korean : english;
    size_t from = 0;
    for (const std::string& value : values) {
        from = text.find("%s", from);
        if (from == std::string::npos) {
            break;
        }
        text.replace(from, 2, value);
        from += value.size();
    }
    return text;
}

void PrintError(const std::string& text) {
    std::fprintf(stderr, "quillbox-cli: %s\n", text.c_str());
}

std::string StdoutFailure() {
    return Tr("standard output: %s", "표준 출력: %s", {std::strerror(errno)});
}
