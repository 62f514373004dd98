#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Cuts an RTF document into the fragments that the program carries: the document's lines, without
// their line breaks, each between kMinFragment and kMaxFragment bytes. Short lines are joined with
// the next one and long lines are cut before a control word or group brace. The concatenation of
// the fragments is the document with its line breaks removed. Pure functions, any thread.

constexpr std::size_t kMinFragment = 5;
constexpr std::size_t kMaxFragment = 344;

// Where removing the line breaks would change what the document says: a break that ends a
// control word right before a letter, digit, '-' or blank, or a break inside an escape. Returns
// the byte offset of the first such break, or std::string::npos when every break is harmless.
[[nodiscard]] std::size_t FindUnsafeBreak(const std::string& document);

// The fragments of `document`. A document shorter than kMinFragment gives one short fragment;
// an empty document gives none.
[[nodiscard]] std::vector<std::string> SplitIntoFragments(const std::string& document);
