#include "cli/cli_session.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/cli_texts.h"
#include "link/serial_channel.h"
#include "protocol/receive_worker.h"
#include "protocol/script_backup.h"
#include "protocol/script_file.h"
#include "protocol/script_operations.h"
#include "protocol/settings_record.h"
#include "protocol/write_steps.h"

namespace {

constexpr const char* kConfirm = "!700";

// Control bytes from the device shown as \xNN, so that they cannot steer the terminal.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const unsigned char byte : text) {
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

void PrintError(const std::string& text) {
    std::fprintf(stderr, "quillbox-cli: %s\n", text.c_str());
}

void ReadCounter(int fd) {
    uint64_t count = 0;
    (void)read(fd, &count, sizeof count);
}

void ArmTimer(int fd, int milliseconds) {
    itimerspec when{};
    when.it_value.tv_sec = milliseconds / 1000;
    when.it_value.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    timerfd_settime(fd, 0, &when, nullptr);
}

int CountSettingsToWrite(DeviceFields& fields) {
    int count = 0;
    for (int step = NextWriteStep(0, fields); step < WRITE_STEP_DONE;
         step = NextWriteStep(step, fields)) {
        ++count;
    }
    return count;
}

}  // namespace

void ChannelMessages::ShowMessage(const UserMessage& message) {
    std::lock_guard<std::mutex> lock(mutex);
    const std::string detail = message.detail.empty() ? "" : " (" + message.detail + ")";
    PrintError(target.AsGiven(message.text + detail));
}

CliSession::CliSession(const CliOptions& options, PortTarget& target, PlainFields& fields,
                       UiLanguage language)
    : options(options),
      target(target),
      fields(fields),
      language(language),
      channelMessages(target) {
    fds.fill(-1);
}

CliSession::~CliSession() {
    for (int fd : fds) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool CliSession::OpenDescriptors() {
    fds[kWake] = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    for (int timer : {kStepTimer, kWriteStepTimer, kEraseStepTimer, kAnswer}) {
        fds[timer] = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    }
    // Blocked before the worker starts, so that they reach only the signalfd.
    sigset_t signals;
    sigemptyset(&signals);
    for (int number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals, number);
    }
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    fds[kSignal] = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    for (int fd : fds) {
        if (fd < 0) {
            PrintError(std::strerror(errno));
            return false;
        }
    }
    const int wakeFd = fds[kWake];
    queue = std::make_unique<ReceiveQueue>([wakeFd] {
        const uint64_t one = 1;
        (void)write(wakeFd, &one, sizeof one);
    });
    return true;
}

int CliSession::Run() {
    if (!OpenDescriptors()) {
        return EXIT_REFUSED;
    }
    CSCom port(target.Map(), channelMessages);
    const int opened = port.OpenPort(target.Number(), SerialSettings{});
    target.DropLink();
    if (opened != 1) {
        return EXIT_NO_PORT;
    }
    std::atomic<int> stopWorker{0};
    ReceiveContext context{port, stopWorker, *queue};
    std::thread worker(ReceiveThreadProc, &context);
    ScriptOperations scriptOperations(*this);
    channel = &port;
    operations = &scriptOperations;
    StartCommand();
    Loop();
    scriptOperations.EndOperation();
    stopWorker.store(1);
    port.Wake();
    worker.join();
    (void)port.ClosePort();
    channel = nullptr;
    operations = nullptr;
    if (status == EXIT_DONE && options.command == CliCommand::View) {
        PrintView();
    }
    return status;
}

void CliSession::StartCommand() {
    switch (options.command) {
        case CliCommand::View:
            operations->OnViewScript();
            break;
        case CliCommand::Write:
            settingsToWrite = CountSettingsToWrite(fields);
            operations->OnWriteScript();
            break;
        case CliCommand::Delete:
            operations->OnEraseAllScript();
            break;
        case CliCommand::Send:
            fields.Texts().commandText = options.operand;
            operations->OnSend();
            break;
        case CliCommand::Echo:
            // The caption names what the press does: "Echo Off" sends "!E0".
            echoCaption = LoadString(options.operand == "on" ? IDS_ECHO_ON : IDS_ECHO_OFF);
            operations->OnEcho();
            break;
        default:
            Finish(EXIT_USAGE, "");
            break;
    }
}

void CliSession::Loop() {
    while (status == kRunning) {
        pollfd polled[kDescriptorCount];
        for (int i = 0; i < kDescriptorCount; ++i) {
            polled[i] = {fds[i], POLLIN, 0};
        }
        if (poll(polled, kDescriptorCount, -1) < 0) {
            if (errno != EINTR) {
                Finish(EXIT_REFUSED, std::strerror(errno));
            }
            continue;
        }
        if (polled[kSignal].revents != 0) {
            OnSignal();
            break;
        }
        // Lines already received are handled before a timer acts on the state.
        if (polled[kWake].revents != 0) {
            ReadCounter(fds[kWake]);
            Drain();
        }
        for (int timer = kStepTimer; timer <= kEraseStepTimer; ++timer) {
            if (status == kRunning && polled[timer].revents != 0) {
                ReadCounter(fds[timer]);
                stepTimerArmed[timer - kStepTimer] = false;
                operations->OnTimer(TIMER_STEP + timer - kStepTimer);
            }
        }
        if (status == kRunning && polled[kAnswer].revents != 0) {
            ReadCounter(fds[kAnswer]);
            OnAnswerDeadline();
        }
    }
}

void CliSession::Drain() {
    std::vector<ReceivedItem> items;
    queue->TakeAll(items);
    for (const ReceivedItem& item : items) {
        if (status != kRunning) {
            return;
        }
        switch (item.kind) {
            case ReceivedItem::Kind::Line:
                OnLine(item.line);
                break;
            case ReceivedItem::Kind::PortLost:
                Finish(EXIT_REFUSED, WithProgress(CliString(CliText::PortLost, language)));
                break;
            case ReceivedItem::Kind::Message:
                channelMessages.ShowMessage(item.message);
                break;
            case ReceivedItem::Kind::Overflow:
                PrintError(FillIn(CliString(CliText::LinesNotStored, language), {item.line}));
                break;
        }
    }
}

void CliSession::OnLine(const std::string& line) {
    ++linesReceived;
    const bool listing = operations->State().opState == Listing;
    const bool confirmation = LineBeginsWith(line.c_str(), kConfirm);
    if (listing && !confirmation) {
        listedLines.push_back(line);
    }
    if (confirmation && lastSent == "!ES") {
        ++linesErased;
    } else if (confirmation && lastSent.compare(0, 4, "!WS ") == 0) {
        ++settingsWritten;
    }
    ArmAnswerDeadline();
    operations->HandleLine(line.c_str());
    if (status != kRunning) {
        return;
    }
    if (options.command == CliCommand::Send) {
        std::printf("%s\n", (isatty(STDOUT_FILENO) ? Printable(line) : line).c_str());
    }
    const bool sendDone =
        options.command == CliCommand::Send || options.command == CliCommand::Echo;
    if ((sendDone && confirmation) ||
        (options.command == CliCommand::View && listing && confirmation)) {
        Finish(EXIT_DONE, "");
    }
}

void CliSession::OnAnswerDeadline() {
    // Waiting for our own pacing is not waiting for the device.
    if (StepTimerArmed()) {
        ArmAnswerDeadline();
        return;
    }
    const bool answered = options.command == CliCommand::Send && linesReceived > 0;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.timeoutMs / 1000.0);
    Finish(EXIT_REFUSED,
           answered ? CliString(CliText::NotConfirmed, language)
                    : WithProgress(FillIn(CliString(CliText::NoAnswer, language), {seconds})));
}

void CliSession::OnSignal() {
    signalfd_siginfo info{};
    (void)read(fds[kSignal], &info, sizeof info);
    Finish(EXIT_REFUSED, WithProgress(CliString(CliText::Interrupted, language)));
}

void CliSession::ArmAnswerDeadline() {
    ArmTimer(fds[kAnswer], options.timeoutMs);
}

bool CliSession::StepTimerArmed() const {
    for (bool armed : stepTimerArmed) {
        if (armed) {
            return true;
        }
    }
    return false;
}

void CliSession::Finish(int exitStatus, const std::string& message) {
    if (status != kRunning) {
        return;
    }
    status = exitStatus;
    if (!message.empty()) {
        PrintError(message);
    }
}

std::string CliSession::WithProgress(const std::string& message) const {
    const std::string progress = Progress();
    return progress.empty() ? message : message + "; " + progress;
}

std::string CliSession::Progress() const {
    if (writingStarted) {
        return FillIn(CliString(CliText::WriteProgress, language),
                      {std::to_string(settingsWritten), std::to_string(settingsToWrite)});
    }
    if (erasingStarted) {
        const int stored = operations != nullptr ? operations->State().listedLineCount : 0;
        return FillIn(CliString(CliText::EraseProgress, language),
                      {std::to_string(linesErased), std::to_string(stored)});
    }
    return "";
}

void CliSession::PrintView() {
    if (listedLines.empty()) {
        PrintError(LoadString(IDS_NO_SCRIPT));
        return;
    }
    const std::string file = FormatScriptFile(fields);
    if (std::fwrite(file.data(), 1, file.size(), stdout) != file.size() ||
        std::fflush(stdout) != 0) {
        status = EXIT_REFUSED;
        PrintError(std::strerror(errno));
    }
}

bool CliSession::PortIsOpen() const {
    return channel != nullptr && channel->portOpen.load() == 1;
}

int CliSession::WritePort(const char* data, int length) {
    std::string text(data, static_cast<size_t>(length));
    if (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    if (text == "!VS") {
        listedLines.clear();
    }
    writingStarted |= operations->State().opState == Writing;
    erasingStarted |= operations->State().opState == Erasing;
    lastSent = text;
    const int written = channel->WritePort(data, length);
    if (written != length) {
        Finish(EXIT_REFUSED, Progress());
        return written;
    }
    ArmAnswerDeadline();
    return written;
}

void CliSession::SetTimer(int id, int milliseconds) {
    const int index = id - TIMER_STEP;
    if (index < 0 || index > 2) {
        return;
    }
    ArmTimer(fds[kStepTimer + index], milliseconds);
    stepTimerArmed[index] = true;
}

void CliSession::KillTimer(int id) {
    const int index = id - TIMER_STEP;
    if (index < 0 || index > 2) {
        return;
    }
    ArmTimer(fds[kStepTimer + index], 0);
    stepTimerArmed[index] = false;
}

int CliSession::AddLogLine(int direction, const char* text) {
    if (direction == LOG_SEND || options.command != CliCommand::Send) {
        std::fprintf(stderr, "%s %s\n", direction == LOG_SEND ? "[SEND]" : "[RECV]",
                     Printable(text).c_str());
    }
    return 1;
}

void CliSession::ShowMessage(const std::string& text, MessageIcon icon) {
    const bool nothingToDelete =
        options.command == CliCommand::Delete && text == LoadString(IDS_NO_SCRIPT);
    Finish(icon == MessageIcon::Information || nothingToDelete ? EXIT_DONE : EXIT_REFUSED,
           icon == MessageIcon::Information || nothingToDelete ? text : WithProgress(text));
}

std::string CliSession::LoadString(int id) const {
    return ::LoadString(id, language);
}

bool CliSession::KeepBackup(const std::vector<std::string>& lines, std::string& why) {
    // When no copy can be kept, the operation reports why and erases nothing.
    std::string path;
    if (!SaveScriptBackup(target.BackupName(), lines, path, why)) {
        return false;
    }
    PrintError(FillIn(CliString(CliText::BackupSaved, language), {path}));
    return true;
}
