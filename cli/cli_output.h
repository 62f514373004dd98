#pragma once

#include <string>

// Standard output of the command line, written without stdio's buffer so that a failed write
// (a full disk, a closed pipe) is seen where it happens and can end the command with status 1.

// Writes all of `bytes` to standard output, through interrupted and short writes and, should
// standard output be non-blocking, waiting until it takes more. False with errno set when a
// write fails (EPIPE, ENOSPC, EBADF...); SIGPIPE must be ignored for EPIPE to arrive here.
// Blocks while the reader does not read. Main thread.
[[nodiscard]] bool WriteStdout(const std::string& bytes);

// `text` with every byte below 0x20 and 0x7F as \xNN (upper-case hex), so that bytes from the
// device cannot steer the terminal; every other byte as it is.
std::string Printable(const std::string& text);
