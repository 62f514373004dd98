#include "cli/cli_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/cli_texts.h"

namespace {

// The commands in the order of CliCommand from Ports on, and how many operands each takes.
const char* const kCommands[] = {"ports", "view", "write", "delete",
                                 "send",  "echo", "agree", "diff"};
const size_t kOperands[] = {0, 1, 2, 1, 2, 2, 0, 2};

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
    options.usageBad = true;
    for (size_t i = 0; i < sizeof kOperands / sizeof kOperands[0]; ++i) {
        if (words.empty() || words[0] != kCommands[i]) {
            continue;
        }
        options.command = static_cast<CliCommand>(i + 1);
        options.usageBad = words.size() != kOperands[i] + 1;
        options.port = words.size() > 1 ? words[1] : "";
        const std::string& operand = options.operand = words.size() > 2 ? words[2] : "";
        // One line to send, and echo's switch.
        options.usageBad |= options.command == CliCommand::Send &&
                            (operand.empty() || operand.find_first_of("\r\n") != std::string::npos);
        options.usageBad |=
            options.command == CliCommand::Echo && operand != "on" && operand != "off";
    }
    return options;
}

void PrintUsage() {
    std::fputs(
        Tr("Usage: quillbox-cli [--timeout SECONDS] COMMAND ...\n"
           "  ports               list the COM ports with their devices\n"
           "  view PORT           print the device's script as a script file\n"
           "  write PORT FILE|-   check FILE, back up the device's script, then write FILE\n"
           "  delete PORT         back up the device's script, then erase it\n"
           "  send PORT LINE      send LINE and print the answer\n"
           "  echo PORT on|off    switch the device's echo\n"
           "  agree               read and accept the disclaimer\n"
           "PORT: a COM name (COM7) or a device path. --timeout: the longest wait for one answer\n"
           "(5 s). Exit status: 0 done, 1 refused or no answer, 2 bad usage or file, 3 port not\n"
           "opened.\n",
           "사용법: quillbox-cli [--timeout 초] 명령 ...\n"
           "  ports               COM 포트와 장치 목록\n"
           "  view PORT           장치의 스크립트를 스크립트 파일로 출력\n"
           "  write PORT FILE|-   FILE을 검사하고 장치의 스크립트를 백업한 뒤 FILE을 저장\n"
           "  delete PORT         장치의 스크립트를 백업한 뒤 삭제\n"
           "  send PORT LINE      LINE을 보내고 응답 출력\n"
           "  echo PORT on|off    장치의 Echo 켜기/끄기\n"
           "  agree               면책 고지를 읽고 동의\n"
           "PORT: COM 이름(COM7) 또는 장치 경로. --timeout: 응답 하나를 기다리는 최대 시간(기본\n"
           "5초). 종료 코드: 0 완료, 1 거부 또는 무응답, 2 잘못된 사용법 또는 파일, 3 포트 열기\n"
           "실패.\n")
            .c_str(),
        stdout);
}
