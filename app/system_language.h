#pragma once

#include <cstdint>

constexpr uint8_t LANG_KOREAN = 0x12;

// The primary-language byte of the system default language: LANG_KOREAN when the system
// locale (LC_ALL, else LANG) is Korean, else the English code 0x09. Only "Korean or not"
// matters to the program.
uint8_t SystemLanguageId();
