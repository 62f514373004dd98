#pragma once

#include <string>
#include <vector>

// A typical stored script: all eleven settings, as a configured device holds them.
[[nodiscard]] std::vector<std::string> DemoScript();
