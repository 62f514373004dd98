#pragma once

#include <string>

// What the operator started.
enum class Operation { None, View, Write, Erase, Send, Echo };

// How an operation ended, or what happened that its front end must know.
enum class OutcomeKind {
    Done,          // confirmed to the end
    NoScript,      // an erase found nothing stored
    Unwritable,    // the values cannot be written; `refusal` and `step` say why
    Refused,       // the device answered a step with something else than its confirmation
    NoAnswer,      // no confirmation or refusal within the answer time-out
    PortLost,      // the port failed for good (unplugged)
    BackupFailed,  // the listing could not be kept, so nothing was erased; `backup` says why
    WriteCut,      // a line did not go out whole; `bytesSent` of `lineBytes`
    Interrupted,   // ended by the front end (a signal, a close)
    LinesNotKept,  // received lines were dropped while nobody took them; `notKept` of them
};

enum class WriteRefusal { None, NoHostAddress, NoHostPort, TooLong };

struct Outcome {
    OutcomeKind kind = OutcomeKind::Done;
    Operation operation = Operation::None;
    int listed = 0;        // lines of the listing that began the operation
    int erased = 0;        // stored lines whose erase the device confirmed
    int written = 0;       // settings whose write the device confirmed
    bool touched = false;  // an "!ES" or "!WS" line went out: the device may have changed
    WriteRefusal refusal = WriteRefusal::None;
    int step = 0;           // Unwritable: the write step (1..11) whose line cannot be built
    std::string backup;     // the backup taken before erasing, or why none could be (BackupFailed)
    int bytesSent = 0;      // WriteCut
    int lineBytes = 0;      // WriteCut
    long long notKept = 0;  // LinesNotKept
};
