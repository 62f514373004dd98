#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/user_message.h"

// One thing the receive worker reports, in the order it happened.
struct ReceivedItem {
    enum class Kind { Line, PortLost, Message, Overflow };
    Kind kind = Kind::Line;
    std::string line;     // Kind::Line: the complete line, without CR or LF (its bytes as received)
    UserMessage message;  // Kind::Message: a channel message raised on the worker thread
};

// The ordered queue from the receive worker to the thread that handles what it reads (the
// window's user-interface thread, or the command line's loop). The worker never waits for the
// reader: it appends and, when the queue was empty, calls `wake` (which must not block). The
// reader takes everything queued in one call.
//
// Memory is bounded: past `byteLimit` bytes of queued lines (their text and a few bytes each),
// further lines are not stored and one Kind::Overflow item (carrying how many were not stored
// in `line` as a decimal) stands for them, so the reader can say so; nothing is dropped
// silently. Lines are kept compactly, so the default bound holds several hundred thousand.
//
// Threads: Push* on the worker, TakeAll and Clear on the reader; both under one lock.
class ReceiveQueue {
public:
    static constexpr size_t kDefaultByteLimit = 8u << 20;

    explicit ReceiveQueue(std::function<void()> wake, size_t byteLimit = kDefaultByteLimit);

    void PushLine(const char* line);
    void PushPortLost();
    void PushMessage(const UserMessage& message);

    // Moves everything queued into `out` (cleared first), oldest first.
    void TakeAll(std::vector<ReceivedItem>& out);
    // Drops everything queued (a port closed: its lines belong to no operation any more).
    void Clear();

private:
    // One queued item: a line's length (its text follows the previous lines' in `text`), a
    // count of lines not stored, or nothing.
    struct Entry {
        ReceivedItem::Kind kind;
        uint32_t size;
    };

    // Appends under the lock; true when the queue was empty.
    bool Append(ReceivedItem::Kind kind, uint32_t size);
    void Wake(bool wasEmpty);

    const std::function<void()> wake;
    const size_t byteLimit;
    std::mutex mutex;
    std::vector<Entry> entries;
    std::string text;
    std::vector<UserMessage> messages;
    size_t overflowIndex = SIZE_MAX;  // index of the open Overflow entry, or SIZE_MAX
};
