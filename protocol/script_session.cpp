#include "protocol/script_session.h"

#include "protocol/command_line.h"
#include "protocol/settings_record.h"
#include "protocol/write_steps.h"

namespace {

// A listing's "!VS" goes out one timer period after the press; every erase and write line two
// periods after the confirmation of the one before, which gives the device its pause.
constexpr Millis kListDelay = STEP_DELAY_MS;
constexpr Millis kStepDelay = 2 * STEP_DELAY_MS;

}  // namespace

ScriptSession::ScriptSession(SessionHost& host, SessionPort& port, ReceiveQueue& queue)
    : host(host), port(port), queue(queue) {}

// ---- View Script: list, filling the fields as the lines come -------------------------------

void ScriptSession::OnViewScript() {
    Service();
    // A listing of its own: a write or erase left waiting (a silent device) ends here.
    if (port.PortIsOpen()) {
        StartListing(Operation::View);
    }
}

// Write Script and Erase All Script begin with a listing too; its end leads on by `op`.
void ScriptSession::StartListing(Operation op) {
    host.ClearLog();
    operation = op;
    awaitingConfirmation = Operation::None;
    listing.clear();
    listedLineCount = erasePass = written = 0;
    touched = false;
    backup.clear();
    Arm(Step::List, kListDelay);
}

void ScriptSession::OnListingDone() {
    if (operation == Operation::View) {
        Finish(OutcomeKind::Done);
        return;
    }
    if (listedLineCount == 0) {
        operation == Operation::Write ? StartWrite() : Finish(OutcomeKind::NoScript);
        return;
    }
    // Nothing is erased unless a copy of what is stored has been kept.
    if (!host.KeepBackup(listing, backup)) {
        Finish(OutcomeKind::BackupFailed);
        return;
    }
    StartErasePass();
}

// ---- Erase: one pass per listed line, the unlock line then "!ES", each confirmed -----------

void ScriptSession::OnEraseAllScript() {
    Service();
    if (port.PortIsOpen()) {
        StartListing(Operation::Erase);
    }
}

void ScriptSession::StartErasePass() {
    host.ClearLog();
    Arm(Step::Unlock, kStepDelay);
}

void ScriptSession::OnEraseReply(int confirmed) {
    if (confirmed != 1) {
        if (opState == Failed) {
            Finish(OutcomeKind::Refused);
        }
        return;
    }
    if (step == Step::Unlock) {
        Arm(Step::Erase, kStepDelay);
        return;
    }
    if (++erasePass < listedLineCount) {
        StartErasePass();
    } else if (operation == Operation::Write) {
        StartWrite();
    } else {
        Finish(OutcomeKind::Done);
        // The operator sees what is left: nothing, or what the device would not erase.
        OnViewScript();
    }
}

// ---- Write: the unlock line, then one "!WS" line per setting, each confirmed ---------------

void ScriptSession::OnWriteScript(WriteSource& writeSource) {
    Service();
    if (!port.PortIsOpen()) {
        return;
    }
    // Refused before the listing: a write that cannot finish must not erase the device first.
    // What runs meanwhile goes on.
    Outcome refused;
    refused.kind = OutcomeKind::Unwritable;
    refused.operation = Operation::Write;
    refused.refusal = writeSource.Refusal(refused.step);
    if (refused.refusal != WriteRefusal::None) {
        host.OnOutcome(refused);
        return;
    }
    source = &writeSource;
    StartListing(Operation::Write);
}

void ScriptSession::StartWrite() {
    // Checked again: the fields may have changed while the erase ran.
    int unwritable = 0;
    if (source->Refusal(unwritable) != WriteRefusal::None) {
        Finish(OutcomeKind::Unwritable);
        return;
    }
    host.ClearLog();
    writeStep = 0;
    Arm(Step::Write, kStepDelay);
}

void ScriptSession::OnWriteReply(int confirmed) {
    if (confirmed != 1) {
        if (opState == Failed) {
            Finish(OutcomeKind::Refused);
        }
        return;
    }
    written += writeStep > 0 ? 1 : 0;
    writeStep = source->NextStep(writeStep);
    if (writeStep >= WRITE_STEP_DONE) {
        Finish(OutcomeKind::Done);
        return;
    }
    Arm(Step::Write, kStepDelay);
}

// ---- Send and Echo: one line each, confirmed by "!700" --------------------------------------

void ScriptSession::OnSend(const std::string& command) {
    Service();
    if (!port.PortIsOpen()) {
        return;
    }
    // Sent whole, whatever its length: the command is the operator's own line.
    const std::string line = command + '\r';
    awaitingConfirmation = Operation::Send;
    answerDue = answerTimeout > 0 ? host.Now() + answerTimeout : kNoDeadline;
    const int sent = port.WritePort(line.data(), static_cast<int>(line.size()));
    host.AddLogLine(LOG_SEND, command.c_str());
    if (sent != static_cast<int>(line.size())) {
        Outcome cut = Progress(OutcomeKind::WriteCut);
        cut.operation = Operation::Send;
        cut.bytesSent = sent, cut.lineBytes = static_cast<int>(line.size());
        awaitingConfirmation = Operation::None;
        host.OnOutcome(cut);
    }
}

void ScriptSession::OnEcho(bool switchOff) {
    Service();
    if (!port.PortIsOpen()) {
        return;
    }
    host.ClearLog();
    awaitingConfirmation = Operation::Echo;
    SendLine(switchOff ? "!E0" : "!E1", true);
}

// ---- Received lines ------------------------------------------------------------------------

size_t ScriptSession::Service() {
    if (servicing) {
        serviceAgain = true;
        return 0;
    }
    servicing = true;
    size_t handled = 0;
    do {
        serviceAgain = false;
        queue.TakeAll(batch);
        handled += batch.size();
        for (ReceivedBatch::Item item; batch.Next(item);) {
            switch (item.kind) {
                case ReceivedItem::Kind::Line:
                    lineBuffer.assign(item.line);
                    HandleLine(lineBuffer.c_str());
                    break;
                case ReceivedItem::Kind::PortLost:
                    EndOperation(OutcomeKind::PortLost, true);
                    host.OnPortLost();
                    break;
                case ReceivedItem::Kind::Message:
                    host.ShowChannelMessage(*item.message);
                    break;
                case ReceivedItem::Kind::Overflow: {
                    Outcome lost = EndOperation(OutcomeKind::LinesNotKept);
                    lost.notKept = item.count;
                    host.OnOutcome(lost);
                    break;
                }
            }
        }
        RunDueSteps();
    } while (serviceAgain);
    servicing = false;
    return handled;
}

// The notification goes first, then the line is logged: a write that the listing's end starts
// clears the log before its "!700" appears.
void ScriptSession::HandleLine(const char* line) {
    const bool confirmation = LineBeginsWith(line, "!700");
    switch (opState) {
        case Listing:
            if (confirmation) {
                opState = Idle;
                answerDue = kNoDeadline;
                OnListingDone();
                break;
            }
            listing.emplace_back(line);
            ++listedLineCount;
            // A write lists the device only to count its lines: the operator's values stay.
            if (operation != Operation::Write) {
                host.OnSettingListed(line);
            }
            break;
        case Writing:
            OnWriteReply(StepReply(line, "!UE", "!WS"));
            break;
        case Erasing:
            OnEraseReply(StepReply(line, "!ES", "!UE"));
            break;
        default:
            break;
    }
    host.AddLogLine(LOG_RECV, line);
    // A free command is done once the device confirms it, its answer logged.
    if (confirmation && awaitingConfirmation != Operation::None && !Busy()) {
        Outcome done;
        done.operation = awaitingConfirmation;
        awaitingConfirmation = Operation::None;
        answerDue = kNoDeadline;
        host.OnOutcome(done);
    }
}

// 1 for "!700"; a repeated command leaves the step waiting, anything else fails it.
int ScriptSession::StepReply(const char* line, const char* first, const char* second) {
    if (LineBeginsWith(line, "!700")) {
        opState = Idle;
        answerDue = kNoDeadline;
        return 1;
    }
    if (!LineBeginsWith(line, first) && !LineBeginsWith(line, second)) {
        opState = Failed;
    }
    return 0;
}

// ---- Deadlines -----------------------------------------------------------------------------

Millis ScriptSession::NextDeadline() const {
    return stepDue < answerDue ? stepDue : answerDue;
}

// Waiting for our own pause is not waiting for the device: what arrives meanwhile (the tail of
// an operation that this one superseded, its "!700" too) answers nothing, and only the step's
// line, once sent, makes the replies count.
void ScriptSession::Arm(Step next, Millis delay) {
    step = next;
    stepDue = host.Now() + delay;
    answerDue = kNoDeadline;
    opState = Idle;
}

void ScriptSession::RunDueSteps() {
    const Millis now = host.Now();
    if (stepDue <= now) {
        stepDue = kNoDeadline;
        OnTimer();
    }
    if (answerDue <= now) {
        answerDue = kNoDeadline;
        Finish(OutcomeKind::NoAnswer);
    }
}

void ScriptSession::OnTimer() {
    // Closed or unplugged while the step waited: that has been reported already.
    if (!port.PortIsOpen()) {
        EndOperation();
        return;
    }
    switch (step) {
        case Step::List:
            opState = Listing;
            SendLine("!VS", true);
            break;
        case Step::Unlock:
            opState = Erasing;
            SendLine(UNLOCK_LINE, true);
            break;
        case Step::Erase:
            opState = Erasing;
            touched = true;
            SendLine("!ES", true);
            break;
        case Step::Write: {
            CommandLine line;
            if (!source->FormatLine(writeStep, line)) {
                opState = Idle;
                Finish(OutcomeKind::Unwritable);
                return;
            }
            touched |= writeStep > 0;
            opState = Writing;
            SendLine(line.Text(), true);
            break;
        }
        case Step::Idle:
            break;
    }
}

// One write; a line that does not go out whole ends the operation, and is not repeated.
bool ScriptSession::SendLine(const std::string& text, bool awaitsAnswer) {
    CommandLine line;
    if (!FormatCommandLine(line, text)) {
        return false;
    }
    answerDue = awaitsAnswer && answerTimeout > 0 ? host.Now() + answerTimeout : kNoDeadline;
    const int sent = port.WritePort(line.bytes, line.length);
    host.AddLogLine(LOG_SEND, text.c_str());
    if (sent == line.length) {
        return true;
    }
    Outcome cut = EndOperation(OutcomeKind::WriteCut);
    cut.bytesSent = sent > 0 ? sent : 0;
    cut.lineBytes = line.length;
    host.OnOutcome(cut);
    return false;
}

// ---- Ends ----------------------------------------------------------------------------------

Outcome ScriptSession::Progress(OutcomeKind kind) const {
    Outcome outcome;
    outcome.kind = kind;
    outcome.operation =
        awaitingConfirmation != Operation::None && !Busy() ? awaitingConfirmation : operation;
    outcome.listed = listedLineCount;
    outcome.erased = erasePass;
    outcome.written = written;
    outcome.touched = touched;
    outcome.backup = backup;
    if (kind == OutcomeKind::Unwritable && source != nullptr) {
        outcome.refusal = source->Refusal(outcome.step);
        if (outcome.refusal == WriteRefusal::None) {  // the step's line itself would not build
            outcome.refusal = WriteRefusal::TooLong;
            outcome.step = writeStep;
        }
    }
    return outcome;
}

void ScriptSession::Finish(OutcomeKind kind) {
    const Outcome outcome = EndOperation(kind);
    host.OnOutcome(outcome);
}

Outcome ScriptSession::EndOperation(OutcomeKind why, bool report) {
    const bool running = Busy() || awaitingConfirmation != Operation::None;
    Outcome outcome = Progress(why);
    step = Step::Idle;
    stepDue = answerDue = kNoDeadline;
    awaitingConfirmation = Operation::None;
    opState = opState == Failed && why == OutcomeKind::Refused ? Failed : Idle;
    if (report && running) {
        host.OnOutcome(outcome);
    }
    return outcome;
}
