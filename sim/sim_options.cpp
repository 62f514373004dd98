#include "sim/sim_options.h"

#include <getopt.h>

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

// getopt_long's codes for the long options; 'h' is also -h.
enum OptionCode : int {
    kCom = 256,
    kLinksDir,
    kScript,
    kLine,
    kDemo,
    kDelay,
    kWrongAnswer,
    kForgetWrite,
    kSilent,
    kSplit,
    kCrlf,
    kLowerCase,
    kNoise,
    kLongLines,
    kEcho,
};

constexpr option kOptions[] = {
    {"com", required_argument, nullptr, kCom},
    {"links-dir", required_argument, nullptr, kLinksDir},
    {"script", required_argument, nullptr, kScript},
    {"line", required_argument, nullptr, kLine},
    {"demo", no_argument, nullptr, kDemo},
    {"delay", required_argument, nullptr, kDelay},
    {"wrong-answer", required_argument, nullptr, kWrongAnswer},
    {"forget-write", required_argument, nullptr, kForgetWrite},
    {"silent", no_argument, nullptr, kSilent},
    {"split", no_argument, nullptr, kSplit},
    {"crlf", no_argument, nullptr, kCrlf},
    {"lower-case", no_argument, nullptr, kLowerCase},
    {"noise", no_argument, nullptr, kNoise},
    {"long-lines", no_argument, nullptr, kLongLines},
    {"echo", no_argument, nullptr, kEcho},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};
// '-': words that are not options come back in order as code 1; ':': a missing value comes
// back as ':', and getopt prints nothing itself.
constexpr const char* kShortOptions = "-:h";

constexpr std::pair<int, bool DeviceFaults::*> kFaultFlags[] = {
    {kSilent, &DeviceFaults::silent},  {kSplit, &DeviceFaults::splitAnswers},
    {kCrlf, &DeviceFaults::lfAfterCr}, {kLowerCase, &DeviceFaults::lowerCaseCodes},
    {kNoise, &DeviceFaults::noise},    {kLongLines, &DeviceFaults::overLongLines},
    {kEcho, &DeviceFaults::echoOn},
};

std::string OptionName(int code) {
    const auto known = std::find_if(std::begin(kOptions), std::end(kOptions) - 1,
                                    [code](const option& o) { return o.val == code; });
    return known != std::end(kOptions) - 1 ? std::string("--") + known->name : "";
}

// Applies an option that takes `value`; false when the value is not acceptable.
bool ApplyValue(int code, const std::string& value, SimOptions* options, std::string* error) {
    switch (code) {
        case kCom:
            return ParseNumber(value, 1, 30, &options->comNumber);
        case kDelay:
            return ParseNumber(value, 0, 60000, &options->answerDelayMs);
        case kWrongAnswer:
            return ParseNumber(value, 0, INT_MAX, &options->faults.wrongAnswerAt);
        case kForgetWrite:
            return ParseNumber(value, 0, INT_MAX, &options->faults.forgetWriteAt);
        case kLinksDir:
            options->linksDir = value;
            return !value.empty();
        case kLine:
            options->storedLines.push_back(value);
            return !value.empty() && !HasControlBytes(value);
        default:
            return ReadScript(value, options, error);
    }
}

// Applies one result of getopt_long; false with `error` set.
bool Apply(int code, const char* word, SimOptions* options, std::string* error) {
    const auto flag = std::find_if(std::begin(kFaultFlags), std::end(kFaultFlags),
                                   [code](const auto& f) { return f.first == code; });
    if (flag != std::end(kFaultFlags)) {
        options->faults.*(flag->second) = true;
    } else if (code == 'h') {
        options->help = true;
    } else if (code == kDemo) {
        const std::vector<std::string> demo = DemoScript();
        options->storedLines.insert(options->storedLines.end(), demo.begin(), demo.end());
    } else if (code == 1) {
        *error = std::string("unexpected argument ") + word;
    } else if (code == ':') {
        *error = OptionName(optopt) + " needs a value";
    } else if (code == '?') {
        // A long option (optopt 0, or the option that got a value it does not take) was
        // stepped over whole; an unknown letter may stand inside a group such as "-hx".
        *error = "unknown option " + (optopt == 0 || !OptionName(optopt).empty()
                                          ? std::string(word)
                                          : std::string("-") + static_cast<char>(optopt));
    } else if (!ApplyValue(code, optarg, options, error) && error->empty()) {
        *error = "bad value for " + OptionName(code) + ": \"" + optarg + "\"";
    }
    return error->empty();
}

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                     std::string* error) {
    error->clear();
    // getopt_long takes writable words; these copies are.
    std::vector<std::string> words = args;
    words.insert(words.begin(), "vdm-r30-sim");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    optind = 0;  // glibc's full reset, so that a second parse starts afresh
    opterr = 0;
    for (int code;
         (code = getopt_long(argc, argv.data(), kShortOptions, kOptions, nullptr)) != -1;) {
        // The word getopt has just stepped over: the option or the argument.
        const char* word = code == 1 ? optarg : argv[optind - 1];
        if (!Apply(code, word, options, error)) {
            return false;
        }
    }
    // After "--": the simulator takes no operands.
    if (optind < argc) {
        *error = std::string("unexpected argument ") + argv[optind];
    }
    return error->empty();
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
           "  --forget-write K  confirm the K-th \"!WS\" line (from 0) but do not store it\n"
           "  --split           send each answer line in two pieces\n"
           "  --crlf            end answer lines with CR LF\n"
           "  --lower-case      list the stored lines with lower-case codes\n"
           "  --noise           line feeds before and inside the answers\n"
           "  --long-lines      start every listing with a line of 300 bytes\n"
           "  --echo            echo on at start\n"
           "  --delay MS        hold every answer back MS milliseconds (up to 60000)\n"
           "  --help            this text\n";
}
