#include "cli/cli_session.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "cli/cli_output.h"
#include "cli/cli_texts.h"
#include "protocol/device_link.h"
#include "protocol/script_backup.h"

namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
};

bool HasControlByte(const std::string& line) {
    return std::any_of(line.begin(), line.end(),
                       [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
}

}  // namespace

int CliSession::Run() {
    // Blocked before the worker starts, so that they reach only the signalfd.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const Descriptor signalFd{signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK)};
    const Descriptor wakeFd{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    if (signalFd.fd < 0 || wakeFd.fd < 0) {
        PrintError(std::strerror(errno));
        return EXIT_REFUSED;
    }
    DeviceLink link(target.Map(), target, [fd = wakeFd.fd] {
        const uint64_t one = 1;
        (void)write(fd, &one, sizeof one);
    });
    if (!link.Open(target.Number())) {
        return EXIT_NO_PORT;
    }
    link.Start();
    ScriptSession scriptSession(*this, link, link.Queue());
    scriptSession.SetAnswerTimeout(options.timeoutMs);
    session = &scriptSession;
    // The device itself, not the link that named it: a links-folder entry cannot surprise.
    std::error_code unresolved;
    const std::string path = link.Channel().DevicePath();
    const std::string device = std::filesystem::canonical(path, unresolved).string();
    Start(unresolved ? path : device);
    Loop(wakeFd.fd, signalFd.fd);
    scriptSession.EndOperation();
    return status;
}

void CliSession::Start(const std::string& device) {
    switch (options.command) {
        case CliCommand::View:
        case CliCommand::Diff:
            session->OnViewScript();
            break;
        case CliCommand::Write:
            PrintError(Tr("writing the script to %s", "%s에 스크립트를 씁니다", {device}));
            session->OnWriteScript(writeSource);
            break;
        case CliCommand::Delete:
            PrintError(Tr("erasing the script of %s", "%s의 스크립트를 지웁니다", {device}));
            session->OnEraseAllScript();
            break;
        case CliCommand::Send:
            session->OnSend(options.operand);
            break;
        default:
            session->OnEcho(options.operand == "off");
            break;
    }
}

void CliSession::Loop(int wakeFd, int signalFd) {
    while (status == kRunning) {
        const Millis deadline = session->NextDeadline();
        const Millis wait = deadline == kNoDeadline ? -1 : std::max<Millis>(deadline - Now(), 0);
        pollfd polled[2] = {{wakeFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        if (poll(polled, 2, static_cast<int>(std::min<Millis>(wait, INT_MAX))) < 0 &&
            errno != EINTR) {
            Finish(EXIT_REFUSED, std::strerror(errno));
        }
        if (polled[1].revents != 0) {
            OnOutcome(session->EndOperation(OutcomeKind::Interrupted));
        }
        uint64_t count = 0;
        if (polled[0].revents != 0) {
            (void)read(wakeFd, &count, sizeof count);
        }
        if (status == kRunning) {
            session->Service();
        }
    }
}

void CliSession::AddLogLine(int direction, const char* text) {
    if (status != kRunning) {
        return;
    }
    // With send, the device's answers are the command's data.
    if (direction == LOG_RECV && options.command == CliCommand::Send) {
        if (!WriteStdout(Printable(text) + "\n")) {
            Finish(EXIT_REFUSED, StdoutFailure());
        }
        return;
    }
    std::fprintf(stderr, "%s %s\n", direction == LOG_SEND ? "[SEND]" : "[RECV]",
                 Printable(text).c_str());
}

bool CliSession::KeepBackup(const std::vector<std::string>& listing, std::string& pathOrWhy) {
    std::string why;
    if (!SaveScriptBackup(target.BackupName(), listing, pathOrWhy, why)) {
        pathOrWhy = why;
        return false;
    }
    PrintError(Tr("backup of the device's script: %s", "장치 스크립트 백업: %s", {pathOrWhy}));
    return true;
}

void CliSession::OnOutcome(const Outcome& outcome) {
    if (status != kRunning) {
        return;
    }
    const std::string state = DeviceState(outcome);
    switch (outcome.kind) {
        case OutcomeKind::Done:
            OnDone(outcome);
            return;
        case OutcomeKind::NoScript:
            Finish(EXIT_DONE, LoadString(IDS_NO_SCRIPT, DetectUiLanguage()));
            return;
        case OutcomeKind::Unwritable:
            Finish(EXIT_USAGE, Tr("the file cannot be written as it is; %s",
                                  "파일을 그대로 쓸 수 없습니다; %s", {state}));
            return;
        case OutcomeKind::Refused:
            Finish(EXIT_REFUSED,
                   Tr("the device refused a step; %s", "장치가 단계를 거부했습니다; %s", {state}));
            return;
        case OutcomeKind::NoAnswer: {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g", options.timeoutMs / 1000.0);
            Finish(EXIT_REFUSED, Tr("no confirmation from the device within %s s; %s",
                                    "%s초 안에 장치의 확인이 없습니다; %s", {seconds, state}));
            return;
        }
        case OutcomeKind::PortLost:
            Finish(EXIT_REFUSED, Tr("the port was lost (unplugged?); %s",
                                    "포트가 끊어졌습니다(분리되었나요?); %s", {state}));
            return;
        case OutcomeKind::BackupFailed:
            Finish(EXIT_REFUSED,
                   Tr("the script could not be backed up (%s); %s",
                      "스크립트를 백업할 수 없습니다(%s); %s", {outcome.backup, state}));
            return;
        case OutcomeKind::WriteCut:
            Finish(EXIT_REFUSED, Tr("a line was cut short: %s of its %s bytes went out; %s",
                                    "줄이 잘렸습니다: %s/%s 바이트만 보냈습니다; %s",
                                    {std::to_string(outcome.bytesSent),
                                     std::to_string(outcome.lineBytes), state}));
            return;
        case OutcomeKind::Interrupted:
            Finish(EXIT_REFUSED, Tr("interrupted", "중단되었습니다") + "; " + state);
            return;
        case OutcomeKind::LinesNotKept:
            Finish(EXIT_REFUSED, Tr("%s received lines were not kept; %s",
                                    "받은 줄 %s개를 보관하지 못했습니다; %s",
                                    {std::to_string(outcome.notKept), state}));
            return;
    }
}

void CliSession::OnDone(const Outcome& outcome) {
    switch (outcome.operation) {
        case Operation::Write:
            // A device that confirmed a line but did not keep it is caught here, not in the field.
            PrintError(Tr("%s settings written; reading them back",
                          "설정 %s개를 썼습니다; 다시 읽어 확인합니다",
                          {std::to_string(outcome.written)}));
            readingBack = true;
            session->OnViewScript();
            return;
        case Operation::Erase:
            Finish(EXIT_DONE, LoadString(IDS_ALL_DELETED, DetectUiLanguage()));
            return;
        case Operation::View:
            break;
        default:
            Finish(EXIT_DONE, "");
            return;
    }
    DeviceScript listed;
    for (const std::string& line : session->ListedLines()) {
        listed.Add(line);
    }
    if (readingBack || options.command == CliCommand::Diff) {
        const bool same = PrintDifferences(listed);
        if (status == kRunning && readingBack) {
            Finish(same ? EXIT_DONE : EXIT_REFUSED,
                   same ? Tr("read back: the device holds the file's settings",
                             "확인: 장치에 파일의 설정이 있습니다")
                        : Tr("read back: the device does not hold what was written (above)",
                             "확인: 장치에 쓴 설정이 없습니다(위 참조)"));
        }
        Finish(same ? EXIT_DONE : EXIT_REFUSED, "");
        return;
    }
    if (listed.lines.empty()) {
        PrintError(LoadString(IDS_NO_SCRIPT, DetectUiLanguage()));
    }
    Finish(PrintListing() ? EXIT_DONE : EXIT_REFUSED, "");
}

bool CliSession::PrintListing() {
    bool clean = true;
    std::string out;
    for (const std::string& line : session->ListedLines()) {
        if (SettingOf(line) < 0) {
            continue;
        }
        if (HasControlByte(line)) {
            clean = false;
            PrintError(Tr("the device lists a control byte, which no script file can hold: %s",
                          "장치가 스크립트 파일에 담을 수 없는 제어 바이트를 보냈습니다: %s",
                          {Printable(line)}));
        }
        out += Printable(line) + "\n";
    }
    if (!WriteStdout(out)) {
        Finish(EXIT_REFUSED, StdoutFailure());
        return false;
    }
    return clean;
}

// Differences go to standard output for diff, to standard error for a write's read-back.
bool CliSession::PrintDifferences(const DeviceScript& listed) {
    const std::vector<std::string> differences = DiffScripts(listed, file);
    std::string out;
    for (const std::string& line : differences) {
        out += Printable(line) + "\n";
    }
    if (readingBack) {
        std::fputs(out.c_str(), stderr);
    } else if (!WriteStdout(out)) {
        Finish(EXIT_REFUSED, StdoutFailure());
    }
    return differences.empty();
}

void CliSession::Finish(int exitStatus, const std::string& message) {
    if (status == kRunning && !message.empty()) {
        PrintError(message);
    }
    status = status == kRunning ? exitStatus : status;
}

std::string CliSession::DeviceState(const Outcome& outcome) const {
    if (!outcome.touched) {
        return Tr("the device is unchanged", "장치는 바뀌지 않았습니다");
    }
    std::string state = Tr("the device's script is incomplete: %s of %s stored lines erased",
                           "장치의 스크립트가 완전하지 않습니다: 저장된 줄 %s/%s개 삭제",
                           {std::to_string(outcome.erased), std::to_string(outcome.listed)});
    if (outcome.operation == Operation::Write) {
        state += Tr(", %s of %s settings written", ", 설정 %s/%s개 저장",
                    {std::to_string(outcome.written), std::to_string(file.lines.size())});
    }
    if (!outcome.backup.empty()) {
        state += Tr("; its script before: %s", "; 이전 스크립트: %s", {outcome.backup});
    }
    return state;
}
