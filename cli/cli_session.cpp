#include "cli/cli_session.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/cli_output.h"
#include "cli/cli_texts.h"
#include "protocol/receive_queue.h"
#include "protocol/receive_worker.h"
#include "protocol/script_backup.h"
#include "protocol/script_file.h"
#include "protocol/script_operations.h"
#include "protocol/settings_record.h"

namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
};

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
    ReceiveQueue receiveQueue([fd = wakeFd.fd] {
        const uint64_t one = 1;
        (void)write(fd, &one, sizeof one);
    });
    CSCom port(target.Map(), target);
    const int opened = port.OpenPort(target.Number(), SerialSettings{});
    if (opened != 1) {
        return EXIT_NO_PORT;
    }
    std::atomic<int> stopWorker{0};
    ReceiveContext context{port, stopWorker, receiveQueue};
    std::thread worker(ReceiveThreadProc, &context);
    ScriptOperations scriptOperations(*this);
    channel = &port;
    operations = &scriptOperations;
    // Also a sequence that would wait for nothing ends by this deadline.
    AwaitAnswer();
    fields.Texts().commandText = options.operand;
    // The caption names what the press does: "Echo On" sends "!E1".
    echoCaption = LoadString(options.operand == "on" ? IDS_ECHO_ON : IDS_ECHO_OFF);
    // The window's buttons, in the order of CliCommand from View on.
    static void (ScriptOperations::*const kPress[])() = {
        &ScriptOperations::OnViewScript, &ScriptOperations::OnWriteScript,
        &ScriptOperations::OnEraseAllScript, &ScriptOperations::OnSend, &ScriptOperations::OnEcho};
    (operations->*kPress[static_cast<int>(options.command) - static_cast<int>(CliCommand::View)])();
    Loop(receiveQueue, wakeFd.fd, signalFd.fd);
    scriptOperations.EndOperation();
    stopWorker.store(1);
    port.Wake();
    worker.join();
    (void)port.ClosePort();
    if (status != EXIT_DONE || options.command != CliCommand::View) {
        return status;
    }
    if (scriptOperations.State().listedLineCount == 0) {
        PrintError(LoadString(IDS_NO_SCRIPT));
        return status;
    }
    const std::string file = FormatScriptFile(fields);
    if (std::fwrite(file.data(), 1, file.size(), stdout) != file.size() ||
        std::fflush(stdout) != 0) {
        PrintError(std::strerror(errno));
        return EXIT_REFUSED;
    }
    return status;
}

void CliSession::Loop(ReceiveQueue& queue, int wakeFd, int signalFd) {
    while (status == kRunning) {
        pollfd polled[2] = {{wakeFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            *std::min_element(deadlines.begin(), deadlines.end()) - Clock::now());
        const int timeout = static_cast<int>(std::clamp<long long>(wait.count(), 0, INT_MAX));
        if (poll(polled, 2, timeout) < 0 && errno != EINTR) {
            Finish(EXIT_REFUSED, std::strerror(errno));
        }
        if (polled[1].revents != 0) {
            Finish(EXIT_REFUSED, WithProgress(Tr("interrupted", "중단되었습니다")));
        }
        // Lines already received are handled before a timer acts on the state.
        uint64_t count = 0;
        std::vector<ReceivedItem> items;
        if (polled[0].revents != 0 && read(wakeFd, &count, sizeof count) > 0) {
            queue.TakeAll(items);
        }
        for (size_t i = 0; i < items.size() && status == kRunning; ++i) {
            if (items[i].kind == ReceivedItem::Kind::Line) {
                OnLine(items[i].line);
            } else if (items[i].kind == ReceivedItem::Kind::PortLost) {
                Finish(EXIT_REFUSED, WithProgress(Tr("the port was lost (unplugged?)",
                                                     "포트가 끊어졌습니다(분리되었나요?)")));
            }
        }
        const Clock::time_point now = Clock::now();
        for (size_t i = 0; i < deadlines.size() && status == kRunning; ++i) {
            if (deadlines[i] <= now) {
                OnDeadline(i);
            }
        }
    }
}

void CliSession::OnLine(const std::string& line) {
    const bool confirmation = LineBeginsWith(line.c_str(), "!700");
    const bool listing = operations->State().opState == Listing;
    if (confirmation) {
        erased += lastSent == "!ES";
        written += lastSent.compare(0, 4, "!WS ") == 0;
        lastSent.clear();
    }
    AwaitAnswer();
    operations->HandleLine(line.c_str());
    const CliCommand command = options.command;
    if (status == kRunning && command == CliCommand::Send) {
        std::printf("%s\n", (isatty(STDOUT_FILENO) ? Printable(line) : line).c_str());
    }
    if (confirmation && (command == CliCommand::Send || command == CliCommand::Echo ||
                         (command == CliCommand::View && listing))) {
        Finish(EXIT_DONE, "");
    }
}

void CliSession::OnDeadline(size_t index) {
    deadlines[index] = kNever;
    if (index < kAnswer) {
        operations->OnTimer(TIMER_STEP + static_cast<int>(index));
        return;
    }
    // Waiting for our own pacing is not waiting for the device.
    if (*std::min_element(deadlines.begin(), deadlines.begin() + kAnswer) != kNever) {
        AwaitAnswer();
        return;
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.timeoutMs / 1000.0);
    Finish(EXIT_REFUSED, WithProgress(Tr("no confirmation from the device within %s s",
                                         "%s초 안에 장치의 확인이 없습니다", {seconds})));
}

void CliSession::Finish(int exitStatus, const std::string& message) {
    if (status == kRunning && !message.empty()) {
        PrintError(message);
    }
    status = status == kRunning ? exitStatus : status;
}

std::string CliSession::WithProgress(const std::string& message) const {
    if (!begun) {
        return message;
    }
    const std::string file = FormatScriptFile(fields);
    const std::string progress =
        Tr("the device's script is incomplete: %s of %s stored lines erased, %s of %s settings "
           "written",
           "장치의 스크립트가 완전하지 않습니다: 저장된 줄 %s/%s개 삭제, 설정 %s/%s개 저장",
           {std::to_string(erased), std::to_string(operations->State().listedLineCount),
            std::to_string(written), std::to_string(std::count(file.begin(), file.end(), '\n'))});
    return message.empty() ? progress : message + "; " + progress;
}

int CliSession::WritePort(const char* data, int length) {
    lastSent.assign(data, static_cast<size_t>(length - (length > 0 && data[length - 1] == '\r')));
    const int state = operations->State().opState;
    begun |= state == Writing || state == Erasing;
    AwaitAnswer();
    const int sent = channel->WritePort(data, length);
    if (sent != length) {
        Finish(EXIT_REFUSED, WithProgress(""));
    }
    return sent;
}

void CliSession::SetTimer(int id, int milliseconds) {
    deadlines.at(static_cast<size_t>(id - TIMER_STEP)) =
        Clock::now() + std::chrono::milliseconds(milliseconds);
}

int CliSession::AddLogLine(int direction, const char* text) {
    // With send, the device's lines go to standard output instead.
    if (direction == LOG_SEND || options.command != CliCommand::Send) {
        std::fprintf(stderr, "%s %s\n", direction == LOG_SEND ? "[SEND]" : "[RECV]",
                     Printable(text).c_str());
    }
    return 1;
}

void CliSession::ShowMessage(const std::string& text, MessageIcon icon) {
    // A delete that finds nothing to delete has got where it was going.
    const bool done = icon == MessageIcon::Information ||
                      (options.command == CliCommand::Delete && text == LoadString(IDS_NO_SCRIPT));
    Finish(done ? EXIT_DONE : EXIT_REFUSED, done ? text : WithProgress(text));
}

bool CliSession::KeepBackup(const std::vector<std::string>& lines, std::string& why) {
    // When no copy can be kept, the operation reports why and erases nothing.
    std::string path;
    if (!SaveScriptBackup(target.BackupName(), lines, path, why)) {
        return false;
    }
    PrintError(Tr("backup of the device's script: %s", "장치 스크립트 백업: %s", {path}));
    return true;
}
