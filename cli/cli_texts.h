#pragma once

#include <initializer_list>
#include <string>

#include "resources/string_table.h"

// The command line's texts are written where they are used: `english` or `korean` by the
// window's language rule (DetectUiLanguage), each "%s" in it replaced in order by `values`.
std::string Tr(const char* english, const char* korean,
               std::initializer_list<std::string> values = {});

// Why standard output failed, from errno, in the interface language.
std::string StdoutFailure();

// `text` as one line on standard error after "quillbox-cli: ". Any thread.
void PrintError(const std::string& text);
