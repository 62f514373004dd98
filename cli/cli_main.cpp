#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/acceptance_file.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_session.h"
#include "cli/cli_texts.h"
#include "link/com_port_name.h"
#include "link/port_discovery.h"
#include "protocol/script_file.h"

namespace {

constexpr int kMaxPorts = 30;

// Standard output that did not take what was written: status 1, with the system's reason.
int OutputFailed() {
    PrintError(StdoutFailure());
    return EXIT_REFUSED;
}

int ListPorts() {
    uint16_t numbers[kMaxPorts] = {};
    const int count = EnumComPorts(numbers, kMaxPorts);
    if (count == 0) {
        PrintError(Tr("no COM port found", "COM 포트가 없습니다"));
    }
    std::string list;
    for (int i = 0; i < count; ++i) {
        list += ComPortName(numbers[i]) + "\t" + Printable(DescribeComPort(numbers[i])) + "\n";
    }
    return WriteStdout(list) ? EXIT_DONE : OutputFailed();
}

int Agree() {
    const std::string text = Tr(
        "Disclaimer of liability\n"
        "Tavrel Systems Co., Ltd. is not liable for any damage, including loss of data, profit\n"
        "or business, that arises from the use of, or the inability to use, this program or a\n"
        "device configured with it. You decide which settings you write to a device and must\n"
        "check them before you put it into service. The VDM-R30 and the other ovLNK devices\n"
        "must not be used in life-support or medical devices, nuclear facilities, aviation, the\n"
        "control of vehicles, weapons, or safety and emergency systems. Any liability is limited\n"
        "to the refund, repair or replacement of the device. The program is provided as is,\n"
        "without any other warranty. The full text is shown by the quillbox window.\n\n"
        "I accept the terms in the exemption from liability. [y/N] ",
        "면책 고지\n"
        "타브렐시스템즈(주)는 이 프로그램 또는 이 프로그램으로 설정한 장치의 사용이나 사용\n"
        "불능으로 생기는 손해(데이터, 이익, 영업의 손실 포함)에 대해 책임지지 않습니다. 장치에\n"
        "쓸 설정은 사용자가 정하며, 장치를 사용하기 전에 확인해야 합니다. VDM-R30과 ovLNK\n"
        "장치는 생명 유지·의료 장비, 원자력 시설, 항공, 차량 제어, 무기, 안전·비상 시스템에\n"
        "사용할 수 없습니다. 책임은 장치의 환불, 수리 또는 교체로 한정됩니다. 이 프로그램은\n"
        "있는 그대로 제공되며 그 밖의 보증은 없습니다. 전문은 quillbox 창에서 볼 수 있습니다.\n\n"
        "면책 고지 사항에 명시된 약관에 동의 합니다. [y/N] ");
    if (!WriteStdout(text)) {
        return OutputFailed();
    }
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
        PrintError(Tr("not accepted", "동의하지 않았습니다"));
        return EXIT_REFUSED;
    }
    std::string why;
    if (!StoreAcceptance(why)) {
        PrintError(Tr("cannot store the acceptance in %s: %s", "%s에 동의를 저장할 수 없습니다: %s",
                      {AcceptanceFilePath(), why}));
        return EXIT_REFUSED;
    }
    PrintError(Tr("accepted", "동의하였습니다"));
    return EXIT_DONE;
}

// Reads the script file (standard input for "-") and checks it whole into `script`; prints
// every fault as FILE:LINE: reason.
bool LoadScriptFile(const std::string& name, CliCommand command, DeviceScript& script) {
    std::string text;
    const std::string why = ReadScriptBytes(name, text, DetectUiLanguage());
    if (!why.empty()) {
        PrintError(Tr("%s: cannot read: %s", "%s: 읽을 수 없습니다: %s", {name, why}));
        return false;
    }
    std::vector<ScriptFileFault> faults;
    if (!ReadScriptFile(text, script, faults, DetectUiLanguage())) {
        for (const ScriptFileFault& fault : faults) {
            std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), fault.line, fault.reason.c_str());
        }
        return false;
    }
    // A write stores exactly what the file gives, and the device needs a host to talk to.
    const char* missing = script.lines.empty()               ? "gives no setting"
                          : !script.Has(kHostAddressSetting) ? "gives no host address (!PA)"
                          : !script.Has(kHostPortSetting)    ? "gives no host port (!PP)"
                                                             : nullptr;
    if (command == CliCommand::Write && missing != nullptr) {
        PrintError(name + ": " + missing +
                   Tr("; nothing was sent", "; 아무것도 보내지 않았습니다"));
        return false;
    }
    return true;
}

int RunDeviceCommand(const CliOptions& options) {
    DeviceScript script;
    const bool takesFile =
        options.command == CliCommand::Write || options.command == CliCommand::Diff;
    if (takesFile && !LoadScriptFile(options.operand, options.command, script)) {
        return EXIT_USAGE;
    }
    PortTarget target;
    if (!target.Resolve(options.port)) {
        PrintError(Tr("%s is neither a COM name (COM7) nor a device path",
                      "%s은(는) COM 이름(COM7)도 장치 경로도 아닙니다", {options.port}));
        return EXIT_USAGE;
    }
    if (!AcceptanceStored()) {
        PrintError(
            Tr("the disclaimer has not been accepted; nothing was sent. Accept it in the "
               "window or with 'quillbox-cli agree'.",
               "면책 고지에 동의하지 않아 아무것도 보내지 않았습니다. 창에서 또는 "
               "'quillbox-cli agree'로 동의하세요."));
        return EXIT_USAGE;
    }
    return CliSession(options, target, script).Run();
}

}  // namespace

int main(int argc, char** argv) {
    // A closed standard output is a write error to report, not a reason to die.
    signal(SIGPIPE, SIG_IGN);
    const CliOptions options = ParseCliOptions(argc, argv);
    if (options.help) {
        return WriteStdout(UsageText()) ? EXIT_DONE : OutputFailed();
    }
    if (options.usageBad || options.timeoutBad) {
        PrintError(options.timeoutBad ? Tr("--timeout takes seconds from 0.1 to 3600",
                                           "--timeout에는 0.1에서 3600 사이의 초를 주세요")
                   : !options.badOption.empty()
                       ? Tr("unknown option %s; see quillbox-cli --help",
                            "알 수 없는 옵션 %s. quillbox-cli --help를 보세요",
                            {Printable(options.badOption)})
                       : Tr("bad usage; see quillbox-cli --help",
                            "잘못된 사용법입니다. quillbox-cli --help를 보세요"));
        return EXIT_USAGE;
    }
    return options.command == CliCommand::Ports   ? ListPorts()
           : options.command == CliCommand::Agree ? Agree()
                                                  : RunDeviceCommand(options);
}
