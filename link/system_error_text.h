#pragma once

#include <string>

// The system's reason for an errno value, as shown under a channel message: the strerror
// text, and for the common cases a hint at what the operator can do about it. Any thread.
[[nodiscard]] std::string SystemErrorText(int error);
