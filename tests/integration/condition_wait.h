#pragma once

#include <chrono>
#include <functional>

// Waits for a condition that nothing signals (bytes inside the kernel's terminal buffers),
// checking it every millisecond; true once it holds, false after `timeout`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Descriptors this process has open now.
int OpenDescriptorCount();
