#include "sim/sim_options.h"

#include <cctype>
#include <climits>
#include <fstream>

#include "sim/demo_script.h"

namespace {

constexpr int kMaxDelayMs = 60000;

struct FaultFlag {
    const char* name;
    bool DeviceFaults::*member;
};

constexpr FaultFlag kFaultFlags[] = {
    {"--silent", &DeviceFaults::silent},  {"--split", &DeviceFaults::splitAnswers},
    {"--crlf", &DeviceFaults::lfAfterCr}, {"--lower-case", &DeviceFaults::lowerCaseCodes},
    {"--noise", &DeviceFaults::noise},    {"--long-lines", &DeviceFaults::overLongLines},
    {"--echo", &DeviceFaults::echoOn},
};

// Plain decimal digits only, so "9x", "-1" or "1e3" are refused rather than half read.
bool ParseNumber(const std::string& text, int min, int max, int* value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    const int number = std::stoi(text);
    if (number < min || number > max) {
        return false;
    }
    *value = number;
    return true;
}

bool HasControlBytes(const std::string& line) {
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            return true;
        }
    }
    return false;
}

bool SetFaultFlag(const std::string& arg, DeviceFaults* faults) {
    for (const FaultFlag& flag : kFaultFlags) {
        if (arg == flag.name) {
            faults->*flag.member = true;
            return true;
        }
    }
    return false;
}

bool ReadScriptFile(const std::string& path, SimOptions* options, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read script " + path;
        return false;
    }
    if (!ReadScript(in, &options->storedLines, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

// Options that take a value; each applies it and says whether it was acceptable.
struct ValuedOption {
    const char* name;
    bool (*apply)(const std::string& value, SimOptions* options);
};

const ValuedOption kValuedOptions[] = {
    {"--com", [](const std::string& value,
                 SimOptions* options) { return ParseNumber(value, 1, 30, &options->comNumber); }},
    {"--links-dir",
     [](const std::string& value, SimOptions* options) {
         options->linksDir = value;
         return !value.empty();
     }},
    {"--line",
     [](const std::string& value, SimOptions* options) {
         options->storedLines.push_back(value);
         return !value.empty() && !HasControlBytes(value);
     }},
    {"--wrong-answer",
     [](const std::string& value, SimOptions* options) {
         return ParseNumber(value, 0, INT_MAX, &options->faults.wrongAnswerAt);
     }},
    {"--delay",
     [](const std::string& value, SimOptions* options) {
         return ParseNumber(value, 0, kMaxDelayMs, &options->answerDelayMs);
     }},
};

const ValuedOption* FindValuedOption(const std::string& name) {
    for (const ValuedOption& option : kValuedOptions) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                     std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            continue;
        }
        if (arg == "--demo") {
            const std::vector<std::string> demo = DemoScript();
            options->storedLines.insert(options->storedLines.end(), demo.begin(), demo.end());
            continue;
        }
        if (SetFaultFlag(arg, &options->faults)) {
            continue;
        }
        const ValuedOption* valued = FindValuedOption(arg);
        if (valued == nullptr && arg != "--script") {
            *error = "unknown option " + arg;
            return false;
        }
        if (i + 1 == args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (valued == nullptr) {
            if (!ReadScriptFile(value, options, error)) {
                return false;
            }
        } else if (!valued->apply(value, options)) {
            *error = "bad value for " + arg + ": \"" + value + "\"";
            return false;
        }
    }
    return true;
}

bool ReadScript(std::istream& in, std::vector<std::string>* lines, std::string* error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        if (HasControlBytes(line)) {
            *error = "line " + std::to_string(number) + " holds a control character";
            return false;
        }
        lines->push_back(line);
    }
    return true;
}

std::string SimUsage() {
    return "Usage: vdm-r30-sim [options]\n"
           "Serves a simulated VDM-R30 on a pseudo-terminal linked as a COM port.\n"
           "\n"
           "  --com N           link as COM N, 1 to 30 (default 9)\n"
           "  --links-dir DIR   folder of the COM links (default $XDG_RUNTIME_DIR/quillbox/ports,\n"
           "                    or /tmp/quillbox-UID/ports)\n"
           "  --script FILE     stored lines, one per line; '#' starts a comment\n"
           "  --line TEXT       one stored line, e.g. --line \"!PA 1.2.3.4\" (repeatable)\n"
           "  --demo            a typical stored script of all eleven settings\n"
           "Faults:\n"
           "  --silent          answer nothing\n"
           "  --wrong-answer K  refuse the K-th command line (counted from 0)\n"
           "  --split           send each answer line in two pieces\n"
           "  --crlf            end answer lines with CR LF\n"
           "  --lower-case      list the stored lines with lower-case codes\n"
           "  --noise           line feeds before and inside the answers\n"
           "  --long-lines      start every listing with a line of 300 bytes\n"
           "  --echo            echo on at start\n"
           "  --delay MS        hold every answer back MS milliseconds (up to 60000)\n"
           "  --help            this text\n";
}
