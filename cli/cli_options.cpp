#include "cli/cli_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct CommandName {
    const char* name;
    CliCommand command;
    size_t operands;  // after the command name
};

const CommandName kCommands[] = {
    {"ports", CliCommand::Ports, 0}, {"view", CliCommand::View, 1},
    {"write", CliCommand::Write, 2}, {"delete", CliCommand::Delete, 1},
    {"send", CliCommand::Send, 2},   {"echo", CliCommand::Echo, 2},
    {"agree", CliCommand::Agree, 0},
};

// Seconds from 0.1 to an hour; anything else (no number, trailing text, nan) is refused.
bool ParseTimeout(const char* text, int& milliseconds) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0.1 && seconds <= 3600)) {
        return false;
    }
    milliseconds = static_cast<int>(std::lround(seconds * 1000));
    return true;
}

}  // namespace

CliOptions ParseCliOptions(int argc, const char* const* argv) {
    CliOptions options;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--timeout") == 0) {
            options.timeoutBad |= i + 1 >= argc || !ParseTimeout(argv[++i], options.timeoutMs);
        } else if (std::strncmp(arg, "--timeout=", 10) == 0) {
            options.timeoutBad |= !ParseTimeout(arg + 10, options.timeoutMs);
        } else {
            words.emplace_back(arg);
        }
    }
    if (words.empty()) {
        options.usageBad = !options.help;
        return options;
    }
    for (const CommandName& entry : kCommands) {
        if (words[0] == entry.name) {
            options.command = entry.command;
            options.usageBad = words.size() != entry.operands + 1;
            options.port = words.size() > 1 && entry.operands > 0 ? words[1] : "";
            options.operand = words.size() > 2 && entry.operands > 1 ? words[2] : "";
            return options;
        }
    }
    options.usageBad = true;
    return options;
}
