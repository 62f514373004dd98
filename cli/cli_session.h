#pragma once

#include <string>

#include "cli/cli_options.h"
#include "cli/port_target.h"
#include "protocol/device_script.h"
#include "protocol/script_session.h"

constexpr int EXIT_DONE = 0;
constexpr int EXIT_REFUSED = 1;  // refused, no answer, port lost, interrupted, a difference
constexpr int EXIT_USAGE = 2;    // bad usage or a bad script file
constexpr int EXIT_NO_PORT = 3;  // the port could not be opened (busy, missing, no rights)

// One command against the device: the port, the receive worker and the script session, driven
// by one poll() loop over the worker's wake-up, a signalfd for SIGINT, SIGTERM and SIGHUP and
// the session's next deadline. Messages and progress go to standard error; standard output
// holds data only (a script, differences, answers), control bytes shown as \xNN.
class CliSession : public SessionHost {
public:
    // `file`: the checked script for write and diff; it must outlive Run.
    CliSession(const CliOptions& options, PortTarget& target, const DeviceScript& file)
        : options(options), target(target), file(file) {}
    // Opens the port, runs the command to its end and releases the port; the exit status.
    int Run();

    Millis Now() const override { return MonotonicMillis(); }
    void AddLogLine(int direction, const char* text) override;
    void ClearLog() override {}
    void OnSettingListed(const char*) override {}
    bool KeepBackup(const std::vector<std::string>& listing, std::string& pathOrWhy) override;
    void OnOutcome(const Outcome& outcome) override;
    void OnPortLost() override {}
    void ShowChannelMessage(const UserMessage& message) override { target.ShowMessage(message); }

private:
    static constexpr int kRunning = -1;

    void Start(const std::string& device);
    void Loop(int wakeFd, int signalFd);
    void OnDone(const Outcome& outcome);
    // The listing just read, as a script; false when a line could not go to standard output.
    bool PrintListing();
    bool PrintDifferences(const DeviceScript& listed);
    void Finish(int exitStatus, const std::string& message);
    // What the device holds now, after `outcome`.
    std::string DeviceState(const Outcome& outcome) const;

    const CliOptions& options;
    PortTarget& target;
    const DeviceScript& file;
    ScriptSession* session = nullptr;
    ScriptWriteSource writeSource{file};
    bool readingBack = false;  // the write is done; its listing is being read back
    int status = kRunning;
};
