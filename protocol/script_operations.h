#pragma once

#include <string>
#include <vector>

#include "protocol/command_line.h"
#include "protocol/operation_host.h"

// The operation fields that received lines and timer ticks move.
struct OperationState {
    int opState = Idle;
    int listedLineCount = 0;
    int writeMode = 0;  // 1 while a write runs: its listing counts lines but fills no field
};

// View Script, Write Script, Erase All Script, Send and Echo as steps paced by one-shot
// timers and confirmed by the device's replies. It never reads a clock or the port: the host
// arms timers and calls OnTimer, and received lines come in through HandleLine.
// User-interface thread only. Nothing here blocks except the host's modal messages.
class ScriptOperations {
public:
    explicit ScriptOperations(OperationHost& host);

    void OnViewScript();
    void OnWriteScript();
    void OnEraseAllScript();
    void OnSend();
    void OnEcho();

    // A one-shot timer fired. A tick of a timer killed since, or armed by an operation that
    // has ended, does nothing; with the port closed meanwhile the operation ends unsent.
    void OnTimer(int timerId);

    // One complete received line (NUL-terminated, no CR or LF): fills the fields during a
    // listing, moves the operation on, then logs the line.
    void HandleLine(const char* line);

    // Close, a lost port and exit: the operation's timers stop and its state goes back to
    // Idle, so that nothing of it resumes on a later open.
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
    // Step timers armed and not yet fired or killed; a tick of any other belongs to nobody.
    bool armed[3] = {};
    // The listing under way, kept for the backup taken before any erase.
    std::vector<std::string> listing;

    void OnListingDone();
    void OnWriteReply(int confirmed);
    void OnEraseReply(int confirmed);
    // 1 for "!700"; a repeated command leaves the step waiting, anything else fails it.
    int StepReply(const char* line, const char* first, const char* second);
    void StartListing(int eraseAll, int write);
    void StartSteps(OpState stepState, int& step);
    void StartWrite();
    void StartErasePass();
    void Arm(int timerId);
    void Kill(int timerId);
    void KillTimers();
    void OnStepTimer();
    void OnWriteStepTimer();
    void SendLine(const std::string& text);
    // Why the fields cannot be written as they are; empty when they can.
    std::string WriteRefusal();
    std::string TextWith(int stringId, const std::string& value);
    // Ends a write or erase early with an error; writeMode goes back to 0 so that later
    // listings fill the fields again.
    void StopWrite(const std::string& message);
};
