#pragma once

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "link/user_message.h"
#include "protocol/receive_queue.h"
#include "protocol/session_outcome.h"
#include "protocol/write_source.h"

// Milliseconds on the front end's monotonic clock.
using Millis = long long;
constexpr Millis kNoDeadline = LLONG_MAX;

inline Millis MonotonicMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The port as the session uses it. User-interface thread.
class SessionPort {
public:
    virtual ~SessionPort() = default;
    virtual bool PortIsOpen() const = 0;
    // The bytes written, at most `length`; fewer when the port failed or timed out.
    virtual int WritePort(const char* data, int length) = 0;
};

// What a front end does for the session. Every call comes on the thread that drives the
// session; OnOutcome, KeepBackup and ShowChannelMessage may block (a modal box): the session
// handles nothing further meanwhile, and what arrives waits in the queue.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual Millis Now() const = 0;
    virtual void AddLogLine(int direction, const char* text) = 0;
    virtual void ClearLog() = 0;
    // A line of a listing that fills the settings (not the one a write begins with), as it comes.
    virtual void OnSettingListed(const char* line) = 0;
    // Keeps the listing that an erase is about to destroy (its lines as listed, without the
    // closing "!700"): true with the backup's path in `pathOrWhy`, false with the reason, and
    // then nothing is erased.
    virtual bool KeepBackup(const std::vector<std::string>& listing, std::string& pathOrWhy) = 0;
    virtual void OnOutcome(const Outcome& outcome) = 0;
    // The port failed for good; the operation has ended and been reported.
    virtual void OnPortLost() = 0;
    // A message that the channel raised on the receive worker, in its place among the lines.
    virtual void ShowChannelMessage(const UserMessage& message) = 0;
};

// View Script, Write Script, Erase All Script, Send and Echo, for the window and the command
// line alike. It never reads a clock, the port or a timer of its own: the front end hands it
// what the receive worker queued (Service), tells it the time (SessionHost::Now), and wakes it
// at NextDeadline(). Every entry point first handles the lines already received, so that no
// step goes out before a reply that has arrived. User-interface thread only.
class ScriptSession {
public:
    ScriptSession(SessionHost& host, SessionPort& port, ReceiveQueue& queue);

    // How long a step may wait for its confirmation or refusal before the operation ends with
    // NoAnswer; 0 (the default) waits for ever. Lines that are neither do not extend it.
    void SetAnswerTimeout(Millis timeout) { answerTimeout = timeout; }

    void OnViewScript();
    // `source` must outlive the write.
    void OnWriteScript(WriteSource& source);
    void OnEraseAllScript();
    // The operator's own line, sent whole with a carriage return.
    void OnSend(const std::string& command);
    // "!E0" when `switchOff`, else "!E1".
    void OnEcho(bool switchOff);

    // Handles everything queued, in order, then the step that is due. Re-entered from a host
    // call (a box's event loop), it only notes that it is wanted again. The count of items it
    // took from the queue.
    size_t Service();
    Millis NextDeadline() const;

    // Ends whatever runs, silently (a close, the window's exit), or with `why` reported when an
    // operation was running; returns how far it got.
    Outcome EndOperation(OutcomeKind why = OutcomeKind::Interrupted, bool report = false);

    // An operation is under way (a listing, an erase or a write), so its replies are due.
    bool Busy() const { return step != Step::Idle; }
    // A listing is putting the device's values in the fields (View, or the one after Delete).
    bool Viewing() const { return Busy() && operation == Operation::View; }
    // Service is running further up the stack (a box opened by the handling of a line).
    bool Servicing() const { return servicing; }
    int OpState() const { return opState; }
    // The lines of the last listing as listed, without its "!700".
    const std::vector<std::string>& ListedLines() const { return listing; }

private:
    enum class Step { Idle, List, Unlock, Erase, Write };

    SessionHost& host;
    SessionPort& port;
    ReceiveQueue& queue;
    Millis answerTimeout = 0;

    Operation operation = Operation::None;
    Step step = Step::Idle;
    int opState = 0;  // what a reply is read as: Idle, Listing, Writing, Failed, Erasing
    WriteSource* source = nullptr;
    int listedLineCount = 0;
    int erasePass = 0;
    int writeStep = 0;
    int written = 0;
    bool touched = false;
    std::string backup;
    std::vector<std::string> listing;
    Operation awaitingConfirmation = Operation::None;  // a Send or an Echo sent
    Millis stepDue = kNoDeadline;
    Millis answerDue = kNoDeadline;
    ReceivedBatch batch;     // kept, so that a stream of drains reuses its buffers
    std::string lineBuffer;  // the line being handled, NUL-terminated
    bool servicing = false;
    bool serviceAgain = false;

    void DrainReceived();
    void HandleLine(const char* line);
    void RunDueSteps();
    void OnTimer();
    void OnListingDone();
    void OnWriteReply(int confirmed);
    void OnEraseReply(int confirmed);
    int StepReply(const char* line, const char* first, const char* second);
    void StartListing(Operation op);
    void StartErasePass();
    void StartWrite();
    void Arm(Step next, Millis delay);
    bool SendLine(const std::string& text, bool awaitsAnswer);
    void Finish(OutcomeKind kind);
    Outcome Progress(OutcomeKind kind) const;
};
