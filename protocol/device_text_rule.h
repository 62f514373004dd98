#pragma once

#include <cstddef>
#include <string>

#include "resources/string_table.h"

// How the bytes of a device value read. The device stores bytes; its operators write Korean in
// code page 949. A Korean interface reads them as code page 949, then as UTF-8; any other
// interface as UTF-8, then as code page 949; bytes that are neither read one character per
// byte (Latin-1), so that every value reads as something. The window and the command line
// both go by this rule, so that they show and count a value alike.
enum class DeviceTextEncoding { Ascii, Utf8, CodePage949, Latin1 };

// The encoding that `bytes` read in under `language`, by the order above.
DeviceTextEncoding DeviceTextEncodingOf(const std::string& bytes, UiLanguage language);

// `bytes` as UTF-8, read by the rule above.
std::string DeviceTextToUtf8(const std::string& bytes, UiLanguage language);

// The number of characters (Unicode code points) that the operator sees for `bytes`: 3 for
// the 9 UTF-8 bytes of three Hangul syllables, 4 for the 8 code page 949 bytes of four, one a
// byte for what reads as Latin-1.
size_t DeviceTextLength(const std::string& bytes, UiLanguage language);

// UTF-8 text as the device gets it: code page 949 under a Korean interface, UTF-8 under any
// other. Characters that code page 949 cannot hold are sent as UTF-8 rather than dropped.
std::string DeviceTextFromUtf8(const std::string& utf8, UiLanguage language);
