#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/port_target.h"
#include "link/serial_channel.h"
#include "protocol/operation_host.h"
#include "protocol/protocol_constants.h"

class ReceiveQueue;
class ScriptOperations;

constexpr int EXIT_DONE = 0;
constexpr int EXIT_REFUSED = 1;  // refused, no answer, port lost, interrupted, no backup
constexpr int EXIT_USAGE = 2;    // bad usage or a bad script file
constexpr int EXIT_NO_PORT = 3;  // the port could not be opened (busy, missing, no rights)

// One command against the device: the port, the receive worker and the window's script
// operations, driven by one poll() loop over the worker's queue, a signalfd for SIGINT, SIGTERM
// and SIGHUP, and the next deadline (the three step timers, the wait for an answer). Messages
// and progress go to standard error; only `view` and `send` write to standard output.
class CliSession : public OperationHost {
public:
    CliSession(const CliOptions& options, PortTarget& target, DeviceFields& fields)
        : options(options), target(target), fields(fields) {}
    // Opens the port, runs the command to its end and releases the port; the exit status.
    int Run();

    bool PortIsOpen() const override { return channel->portOpen.load() == 1; }
    int WritePort(const char* data, int length) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override { deadlines.at(id - TIMER_STEP) = kNever; }
    int AddLogLine(int direction, const char* text) override;
    void ClearLog() override {}
    bool ExchangeFromControls() override { return true; }
    DeviceFields& Fields() override { return fields; }
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    std::string LoadString(int id) const override { return ::LoadString(id, DetectUiLanguage()); }
    bool KeepBackup(const std::vector<std::string>& lines, std::string& why) override;
    std::string EchoCaption() const override { return echoCaption; }
    void SetEchoCaption(const std::string& caption) override { echoCaption = caption; }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRunning = -1;
    static constexpr size_t kAnswer = 3;  // deadlines: the three step timers, then the answer
    static constexpr Clock::time_point kNever = Clock::time_point::max();

    void AwaitAnswer() {
        deadlines[kAnswer] = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    }
    void Loop(ReceiveQueue& queue, int wakeFd, int signalFd);
    void OnLine(const std::string& line);
    void OnDeadline(size_t index);
    void Finish(int exitStatus, const std::string& message);
    // `message`, and how far the erase or the write got once either has begun.
    std::string WithProgress(const std::string& message) const;

    const CliOptions& options;
    PortTarget& target;
    DeviceFields& fields;
    CSCom* channel = nullptr;
    ScriptOperations* operations = nullptr;
    std::array<Clock::time_point, kAnswer + 1> deadlines = {kNever, kNever, kNever, kNever};
    std::string echoCaption;
    std::string lastSent;
    int status = kRunning;
    bool begun = false;  // the erase or the write has begun
    int erased = 0;      // "!ES" and "!WS" lines that the device confirmed
    int written = 0;
};
