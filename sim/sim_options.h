#pragma once

#include <string>
#include <vector>

#include "sim/device_model.h"

// What the vdm-r30-sim command line asks for.
struct SimOptions {
    int comNumber = 9;
    std::string linksDir;  // the caller sets the default before parsing
    std::vector<std::string> storedLines;
    DeviceFaults faults;
    int answerDelayMs = 0;
    bool help = false;
};

// Parses the arguments (without the program name) into `options` with getopt_long: a value
// apart or joined (--com 7, --com=7), "--" ends the options (the simulator takes no operands).
// Script files named by --script are read here. False with a one-line reason in `error` on
// any bad argument. May be called more than once; not from two threads at once.
[[nodiscard]] bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                                   std::string* error);

// The --help text.
[[nodiscard]] std::string SimUsage();
