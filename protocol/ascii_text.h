#pragma once

#include <string>

// True when `a` and `b` are equal once ASCII letters are folded to one case; other bytes
// (UTF-8 included) must match exactly.
bool EqualIgnoringCase(const std::string& a, const std::string& b);
