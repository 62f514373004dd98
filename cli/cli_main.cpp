#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/acceptance_file.h"
#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/cli_texts.h"
#include "link/com_port_name.h"
#include "link/port_discovery.h"
#include "protocol/script_file.h"

namespace {

constexpr int kMaxPorts = 30;

void PrintError(const std::string& text) {
    std::fprintf(stderr, "quillbox-cli: %s\n", text.c_str());
}

int ShowHelp(const CliOptions& options, UiLanguage language) {
    static const CliText kHelp[] = {CliText::Usage,     CliText::HelpPorts,  CliText::HelpView,
                                    CliText::HelpWrite, CliText::HelpDelete, CliText::HelpSend,
                                    CliText::HelpEcho,  CliText::HelpAgree};
    std::fputs(CliString(kHelp[static_cast<int>(options.command)], language).c_str(), stdout);
    return EXIT_DONE;
}

int ListPorts(UiLanguage language) {
    uint16_t numbers[kMaxPorts] = {};
    const int count = EnumComPorts(numbers, kMaxPorts);
    if (count == 0) {
        PrintError(CliString(CliText::NoPorts, language));
    }
    for (int i = 0; i < count; ++i) {
        std::printf("%s\t%s\n", ComPortName(numbers[i]).c_str(),
                    DescribeComPort(numbers[i]).c_str());
    }
    return EXIT_DONE;
}

int Agree(UiLanguage language) {
    std::fputs(CliString(CliText::Disclaimer, language).c_str(), stdout);
    std::fputs(CliString(CliText::AcceptQuestion, language).c_str(), stdout);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
        PrintError(CliString(CliText::NotAcceptedAnswer, language));
        return EXIT_REFUSED;
    }
    const std::string path = AcceptanceFilePath();
    std::string why;
    if (!StoreAcceptance(path, why)) {
        PrintError(FillIn(CliString(CliText::CannotStoreAcceptance, language), {path, why}));
        return EXIT_REFUSED;
    }
    PrintError(CliString(CliText::Accepted, language));
    return EXIT_DONE;
}

// The whole file, or standard input for "-"; false with the system's reason.
bool ReadWhole(const std::string& name, std::string& text, std::string& why) {
    std::ifstream file;
    if (name != "-") {
        file.open(name, std::ios::binary);
        if (!file) {
            why = std::strerror(errno);
            return false;
        }
    }
    std::istream& in = name == "-" ? std::cin : file;
    std::ostringstream whole;
    whole << in.rdbuf();
    text = whole.str();
    if (in.bad()) {
        why = std::strerror(EIO);
        return false;
    }
    return true;
}

// Reads and checks the script file into `fields`; prints every fault as FILE:LINE: reason.
bool LoadScriptFile(const std::string& name, PlainFields& fields, UiLanguage language) {
    std::string text;
    std::string why;
    if (!ReadWhole(name, text, why)) {
        PrintError(FillIn(CliString(CliText::CannotReadFile, language), {name, why}));
        return false;
    }
    std::vector<ScriptFileFault> faults;
    if (ReadScriptFile(text, fields, faults, language)) {
        return true;
    }
    for (const ScriptFileFault& fault : faults) {
        std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), fault.line, fault.reason.c_str());
    }
    return false;
}

bool OperandsValid(const CliOptions& options, UiLanguage language) {
    if (options.command == CliCommand::Echo && options.operand != "on" &&
        options.operand != "off") {
        PrintError(CliString(CliText::BadUsage, language));
        return false;
    }
    const std::string& line = options.operand;
    if (options.command == CliCommand::Send &&
        (line.empty() || line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)) {
        PrintError(CliString(CliText::BadLine, language));
        return false;
    }
    return true;
}

int RunDeviceCommand(const CliOptions& options, UiLanguage language) {
    if (!OperandsValid(options, language)) {
        return EXIT_USAGE;
    }
    PlainFields fields;
    if (options.command == CliCommand::Write &&
        !LoadScriptFile(options.operand, fields, language)) {
        return EXIT_USAGE;
    }
    PortTarget target;
    if (!target.Resolve(options.port)) {
        PrintError(FillIn(CliString(CliText::BadPort, language), {options.port}));
        return EXIT_USAGE;
    }
    if (!AcceptanceStored(AcceptanceFilePath())) {
        PrintError(CliString(CliText::NotAccepted, language));
        return EXIT_USAGE;
    }
    CliSession session(options, target, fields, language);
    return session.Run();
}

}  // namespace

int main(int argc, char** argv) {
    // A closed standard output is a write error to report, not a reason to die.
    signal(SIGPIPE, SIG_IGN);
    const UiLanguage language = DetectUiLanguage();
    const CliOptions options = ParseCliOptions(argc, argv);
    if (options.help) {
        return ShowHelp(options, language);
    }
    if (options.usageBad || options.timeoutBad) {
        PrintError(
            CliString(options.timeoutBad ? CliText::BadTimeout : CliText::BadUsage, language));
        return EXIT_USAGE;
    }
    switch (options.command) {
        case CliCommand::Ports:
            return ListPorts(language);
        case CliCommand::Agree:
            return Agree(language);
        default:
            return RunDeviceCommand(options, language);
    }
}
