#include "sim/sim_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <fstream>
#include <utility>

#include "sim/demo_script.h"

namespace {

// Plain decimal digits only, so "9x", "-1" or "1e3" are refused rather than half read.
bool ParseNumber(const std::string& text, int min, int max, int* value) {
    const char* end = text.data() + text.size();
    int number = 0;
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    const bool ok = !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) &&
                    stop == end && failure == std::errc() && number >= min && number <= max;
    *value = ok ? number : *value;
    return ok;
}

// One stored line per line; '#' starts a comment, blank lines and a trailing CR are skipped.
bool ReadScript(const std::string& path, SimOptions* options, std::string* error) {
    std::ifstream in(path);
    *error = in ? "" : "cannot read script " + path;
    std::string line;
    for (int number = 1; error->empty() && std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        if (HasControlBytes(line)) {
            *error = path + ": line " + std::to_string(number) + " holds a control character";
        }
        options->storedLines.push_back(line);
    }
    return error->empty();
}

// Applies an option that takes `value`; false when the value is not acceptable.
bool ApplyValue(const std::string& name, const std::string& value, SimOptions* options,
                std::string* error) {
    if (name == "--com") {
        return ParseNumber(value, 1, 30, &options->comNumber);
    }
    if (name == "--delay") {
        return ParseNumber(value, 0, 60000, &options->answerDelayMs);
    }
    if (name == "--wrong-answer") {
        return ParseNumber(value, 0, INT_MAX, &options->faults.wrongAnswerAt);
    }
    if (name == "--links-dir") {
        options->linksDir = value;
        return !value.empty();
    }
    if (name == "--line") {
        options->storedLines.push_back(value);
        return !value.empty() && !HasControlBytes(value);
    }
    return ReadScript(value, options, error);
}

constexpr std::pair<const char*, bool DeviceFaults::*> kFaultFlags[] = {
    {"--silent", &DeviceFaults::silent},  {"--split", &DeviceFaults::splitAnswers},
    {"--crlf", &DeviceFaults::lfAfterCr}, {"--lower-case", &DeviceFaults::lowerCaseCodes},
    {"--noise", &DeviceFaults::noise},    {"--long-lines", &DeviceFaults::overLongLines},
    {"--echo", &DeviceFaults::echoOn},
};

constexpr const char* kValued[] = {"--com",       "--delay", "--wrong-answer",
                                   "--links-dir", "--line",  "--script"};

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                     std::string* error) {
    error->clear();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto flag = std::find_if(std::begin(kFaultFlags), std::end(kFaultFlags),
                                       [&](const auto& f) { return arg == f.first; });
        if (flag != std::end(kFaultFlags)) {
            options->faults.*(flag->second) = true;
        } else if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--demo") {
            const std::vector<std::string> demo = DemoScript();
            options->storedLines.insert(options->storedLines.end(), demo.begin(), demo.end());
        } else if (std::find(std::begin(kValued), std::end(kValued), arg) == std::end(kValued)) {
            *error = "unknown option " + arg;
        } else if (i + 1 == args.size()) {
            *error = arg + " needs a value";
        } else if (!ApplyValue(arg, args[++i], options, error) && error->empty()) {
            *error = "bad value for " + arg + ": \"" + args[i] + "\"";
        }
        if (!error->empty()) {
            return false;
        }
    }
    return true;
}

std::string SimUsage() {
    return "Usage: vdm-r30-sim [options]\n"
           "Serves a simulated VDM-R30 on a pseudo-terminal linked as a COM port.\n"
           "  --com N           link as COM N, 1 to 30 (default 9)\n"
           "  --links-dir DIR   folder of the COM links (default $XDG_RUNTIME_DIR/quillbox/ports)\n"
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
