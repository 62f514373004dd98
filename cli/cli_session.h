#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/plain_fields.h"
#include "cli/port_target.h"
#include "protocol/operation_host.h"
#include "protocol/receive_queue.h"
#include "resources/string_table.h"

class CSCom;
class ScriptOperations;

// Exit statuses of quillbox-cli.
constexpr int EXIT_DONE = 0;
constexpr int EXIT_REFUSED = 1;  // refused, no answer, port lost, interrupted, no backup
constexpr int EXIT_USAGE = 2;    // bad usage or a bad script file
constexpr int EXIT_NO_PORT = 3;  // the port could not be opened (busy, missing, no rights)

// Prints channel messages as one line on standard error. Any thread.
class ChannelMessages : public MessageSink {
public:
    explicit ChannelMessages(const PortTarget& target) : target(target) {}
    void ShowMessage(const UserMessage& message) override;

private:
    const PortTarget& target;
    std::mutex mutex;
};

// One command against the device: the port, the receive worker, and the script operations
// driven by one poll() loop over the queue's eventfd, a timerfd for each one-shot step timer, a
// timerfd for the answer deadline and a signalfd for SIGINT, SIGTERM and SIGHUP. Operation
// messages become one line on standard error and the exit status; progress goes to standard
// error; only `view` (the script file) and `send` (the answer) write to standard output.
class CliSession : public OperationHost {
public:
    CliSession(const CliOptions& options, PortTarget& target, PlainFields& fields,
               UiLanguage language);
    ~CliSession() override;
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens the port, runs the command to its end and releases the port; the exit status.
    int Run();

    bool PortIsOpen() const override;
    int WritePort(const char* data, int length) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    int AddLogLine(int direction, const char* text) override;
    void ClearLog() override {}
    bool ExchangeFromControls() override { return true; }
    DeviceFields& Fields() override { return fields; }
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    std::string LoadString(int id) const override;
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override;
    std::string EchoCaption() const override { return echoCaption; }
    void SetEchoCaption(const std::string& caption) override { echoCaption = caption; }

private:
    static constexpr int kRunning = -1;
    enum Descriptor { kWake, kStepTimer, kWriteStepTimer, kEraseStepTimer, kAnswer, kSignal };
    static constexpr int kDescriptorCount = 6;

    bool OpenDescriptors();
    void StartCommand();
    void Loop();
    void Drain();
    void OnLine(const std::string& line);
    void OnAnswerDeadline();
    void OnSignal();
    void ArmAnswerDeadline();
    bool StepTimerArmed() const;
    void Finish(int exitStatus, const std::string& message);
    // How far a write or an erase got ("" before either began), and `message` with it.
    std::string Progress() const;
    std::string WithProgress(const std::string& message) const;
    void PrintView();

    const CliOptions& options;
    PortTarget& target;
    PlainFields& fields;
    const UiLanguage language;
    ChannelMessages channelMessages;
    std::array<int, kDescriptorCount> fds;
    std::array<bool, 3> stepTimerArmed = {};
    std::unique_ptr<ReceiveQueue> queue;
    CSCom* channel = nullptr;
    ScriptOperations* operations = nullptr;
    std::string echoCaption;
    int status = kRunning;

    // What the write or erase has got to, for a message when it stops early.
    std::vector<std::string> listedLines;
    std::string lastSent;
    bool writingStarted = false;
    bool erasingStarted = false;
    int linesErased = 0;
    int settingsWritten = 0;
    int settingsToWrite = 0;
    int linesReceived = 0;
};
