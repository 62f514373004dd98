#pragma once

#include <string>
#include <vector>

#include "protocol/command_line.h"
#include "protocol/line_handler.h"
#include "protocol/operation_host.h"

// View Script, Write Script, Erase All Script, Send and Echo as steps paced by one-shot
// timers and confirmed by the device's replies. It never reads a clock or the port: the host
// arms timers and calls OnTimer, and received lines come in through HandleLine.
// User-interface thread only. Nothing here blocks except the host's modal messages.
class ScriptOperations : public LineEvents {
public:
    explicit ScriptOperations(OperationHost& host);

    // Buttons.
    void OnViewScript();
    void OnWriteScript();
    void OnEraseAllScript();
    void OnSend();
    void OnEcho();

    // A one-shot timer fired (TIMER_STEP, TIMER_WRITE_STEP or TIMER_ERASE_STEP). A tick of a
    // timer killed since, or armed by an operation that has ended, does nothing. With the port
    // closed or lost meanwhile, the operation ends there without sending anything.
    void OnTimer(int timerId);

    // A complete line from the receive worker.
    void HandleLine(const char* line);

    // Worker notifications (LineEvents).
    void OnListingDone() override;
    void OnWriteReply(int confirmed) override;
    void OnEraseReply(int confirmed) override;
    int AddLogLine(int direction, const char* text) override;

    void StartWrite();
    void StartErasePass();

    // Close, a lost port and exit: whatever operation runs ends here, its timers stopped and
    // its state back to Idle, so that nothing of it resumes on a later open.
    void EndOperation();

    const OperationState& State() const { return state; }

private:
    OperationHost& host;
    OperationState state;
    int erasePass = 0;
    int eraseStep = 0;
    int writeStep = 0;
    int followUpPending = 0;
    int eraseAllMode = 0;
    // Which step timers this object armed and has not seen fire or killed since. Starting an
    // operation kills them all, so a tick that still arrives belongs to nobody and is ignored.
    bool armed[3] = {};
    // The lines of the listing under way, kept for the backup taken before any erase.
    std::vector<std::string> listing;

    // Clears the log and sends "!VS" after the step delay; the flags say what its end leads to.
    void StartListing();
    // The listing that begins Write Script and Erase All Script; its end leads on by the flags.
    void StartListingWithFollowUp(int eraseAll, int write);
    // Arms the step timer for the first step of an erase pass or a write sequence.
    void StartSteps(OpState stepState, int& step);
    void Arm(int timerId);
    void Kill(int timerId);
    void KillTimers();
    // Keeps a copy of the listed script before the first erase pass; false (the operation
    // then ended with a message) when no copy could be kept.
    bool BackUpListing();
    void OnStepTimer();
    void OnWriteStepTimer();
    void OnEraseStepTimer();
    // Sends one command line in one write and logs it as sent.
    void SendLine(const CommandLine& line);
    // Why the fields cannot be written as they are (host address, host port, a line that
    // does not fit); empty when they can.
    std::string WriteRefusal();
    // A string-table text with its "%s" replaced by `value`.
    std::string TextWith(int stringId, const std::string& value);
    // Ends a write (or erase) early with an error message. writeMode goes back to 0 first,
    // so that later listings fill the fields again.
    void StopWrite(const std::string& message);
    void ShowMessage(int stringId, MessageIcon icon);
};
