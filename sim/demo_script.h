#pragma once

#include <string>
#include <vector>

// A typical stored script: all eleven settings, as a configured device holds them.
inline std::vector<std::string> DemoScript() {
    return {"!PA 10.1.0.1", "!PP 1470", "!SA 10.1.0.2", "!SO C 3000", "!TC 5", "!SC QBX01",
            "!TB 115200",   "!TP 0",    "!TD 8",        "!TS 1",      "!FC 0"};
}
