#include "cli/cli_options.h"

#include <getopt.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "cli/cli_texts.h"

namespace {

struct CommandForm {
    const char* name;
    CliCommand command;
    size_t operands;
};

constexpr CommandForm kCommands[] = {
    {"ports", CliCommand::Ports, 0},   {"view", CliCommand::View, 1},
    {"write", CliCommand::Write, 2},   {"diff", CliCommand::Diff, 2},
    {"delete", CliCommand::Delete, 1}, {"send", CliCommand::Send, 2},
    {"echo", CliCommand::Echo, 2},     {"agree", CliCommand::Agree, 0},
};

constexpr int kTimeout = 't';
constexpr option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"timeout", required_argument, nullptr, kTimeout},
    {nullptr, 0, nullptr, 0},
};
// '-': words come back in order as option 1 (so options may follow the command, also under
// POSIXLY_CORRECT); ':': a missing value comes back as ':', and getopt prints nothing.
constexpr const char* kShortOptions = "-:h";

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

// The command and its operands from the words that are not options.
void ReadWords(const std::vector<std::string>& words, CliOptions& options) {
    options.usageBad = true;
    for (const CommandForm& form : kCommands) {
        if (words.empty() || words[0] != form.name) {
            continue;
        }
        options.command = form.command;
        options.usageBad = words.size() != form.operands + 1;
        options.port = words.size() > 1 ? words[1] : "";
        const std::string& operand = options.operand = words.size() > 2 ? words[2] : "";
        // One line to send, and echo's switch.
        options.usageBad |= form.command == CliCommand::Send &&
                            (operand.empty() || operand.find_first_of("\r\n") != std::string::npos);
        options.usageBad |= form.command == CliCommand::Echo && operand != "on" && operand != "off";
    }
}

}  // namespace

CliOptions ParseCliOptions(int argc, const char* const* argv) {
    CliOptions options;
    // getopt_long takes writable words; these copies are.
    std::vector<std::string> copies(argv, argv + argc);
    std::vector<char*> args;
    for (std::string& copy : copies) {
        args.push_back(copy.data());
    }
    args.push_back(nullptr);
    std::vector<std::string> words;
    optind = 0;  // glibc's full reset, so that a second parse starts afresh
    opterr = 0;
    for (int c; (c = getopt_long(argc, args.data(), kShortOptions, kOptions, nullptr)) != -1;) {
        if (c == 1) {
            words.emplace_back(optarg);
        } else if (c == 'h') {
            options.help = true;
        } else if (c == kTimeout) {
            options.timeoutBad |= !ParseTimeout(optarg, options.timeoutMs);
        } else if (c == ':') {
            options.timeoutBad = true;  // the one option that takes a value
        } else {
            // A long option (optopt 0, or 'h' for "--help=x") has been stepped over whole; an
            // unknown letter may stand inside a group such as "-hx".
            options.badOption = optopt == 0 || optopt == 'h'
                                    ? std::string(args[optind - 1])
                                    : std::string("-") + static_cast<char>(optopt);
        }
    }
    // After "--": operands only.
    words.insert(words.end(), args.begin() + optind, args.end() - 1);
    ReadWords(words, options);
    options.usageBad |= !options.badOption.empty();
    return options;
}

std::string UsageText() {
    return Tr(
        "Usage: quillbox-cli [--timeout SECONDS] COMMAND ...\n"
        "  ports               list the COM ports with their devices\n"
        "  view PORT           print the device's script as a script file\n"
        "  write PORT FILE|-   check FILE, back up the device's script, then write FILE\n"
        "  diff PORT FILE|-    check FILE and print how the device's script differs from it\n"
        "  delete PORT         back up the device's script, then erase it\n"
        "  send PORT LINE      send LINE and print the answer\n"
        "  echo PORT on|off    switch the device's echo\n"
        "  agree               read and accept the disclaimer\n"
        "PORT: a COM name (COM7) or a device path. --timeout: the longest wait for one answer\n"
        "(5 s). Options may also follow the command; -- ends them. Exit status: 0 done, 1\n"
        "refused, no answer or a difference, 2 bad usage or file, 3 port not opened.\n",
        "사용법: quillbox-cli [--timeout 초] 명령 ...\n"
        "  ports               COM 포트와 장치 목록\n"
        "  view PORT           장치의 스크립트를 스크립트 파일로 출력\n"
        "  write PORT FILE|-   FILE을 검사하고 장치의 스크립트를 백업한 뒤 FILE을 저장\n"
        "  diff PORT FILE|-    FILE을 검사하고 장치의 스크립트와 다른 점을 출력\n"
        "  delete PORT         장치의 스크립트를 백업한 뒤 삭제\n"
        "  send PORT LINE      LINE을 보내고 응답 출력\n"
        "  echo PORT on|off    장치의 Echo 켜기/끄기\n"
        "  agree               면책 고지를 읽고 동의\n"
        "PORT: COM 이름(COM7) 또는 장치 경로. --timeout: 응답 하나를 기다리는 최대 시간(기본\n"
        "5초). 옵션은 명령 뒤에도 올 수 있으며 --는 옵션의 끝입니다. 종료 코드: 0 완료, 1 거부,\n"
        "무응답 또는 차이, 2 잘못된 사용법 또는 파일, 3 포트 열기 실패.\n");
}
