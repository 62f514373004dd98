#pragma once

#include <string>
#include <vector>

#include "protocol/device_fields.h"
#include "protocol/device_script.h"
#include "resources/string_table.h"

// A script file is the device's own listing, one setting a line ("!PA 10.1.0.1", "!SO C 3000");
// blank lines and lines beginning with '#' are ignored. Values are bytes, UTF-8 or not.
struct ScriptFileFault {
    int line = 0;        // 1-based line number in the file
    std::string reason;  // in the interface language
};

// Checks every line of `text` (known code, a value that Write Script sends back unchanged, the
// lengths it refuses, a setting given twice) and, only when none is faulty, puts its setting
// lines into `script` as the file holds them. A UTF-8 byte-order mark before the first line is
// skipped. Returns false with every fault, leaving `script` empty.
[[nodiscard]] bool ReadScriptFile(const std::string& text, DeviceScript& script,
                                  std::vector<ScriptFileFault>& faults, UiLanguage language);

// Fills the window's fields from `script`, line by line, as a listing fills them.
void ApplyScript(const DeviceScript& script, DeviceFields& fields);

// A script holds eleven short lines; a larger file is not one, and is not read whole.
constexpr size_t kMaxScriptFileBytes = 64 * 1024;

// Reads the file at `path` ("-": standard input) into `bytes`. What is not a regular file is
// refused unopened (a FIFO would block the open, a terminal would raise its DTR), and again
// after the open should one have been put in its place meanwhile; so is a file larger than
// kMaxScriptFileBytes. Empty, or why not in `language`.
std::string ReadScriptBytes(const std::string& path, std::string& bytes, UiLanguage language);

// The fields as a script file: the lines that Write Script would store, in its order.
std::string FormatScriptFile(DeviceFields& fields);

// True when `line` begins with the code of one of the eleven settings, in upper or lower case.
bool NamesSetting(const std::string& line);
