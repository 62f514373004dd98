#pragma once

#include <string>

// Writes all of `bytes` to standard output; false (errno set) when they did not all go, a full
// disk or a closed pipe (SIGPIPE is ignored).
[[nodiscard]] bool WriteStdout(const std::string& bytes);

// `text` with every byte below 0x20 and 0x7F shown as \xNN, so that it cannot steer a terminal.
std::string Printable(const std::string& text);
