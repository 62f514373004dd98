#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link/user_message.h"

// One thing the receive worker reports, in the order it happened.
struct ReceivedItem {
    enum class Kind : uint8_t { Line, PortLost, Message, Overflow };
};

// What one TakeAll took, kept as compactly as the queue kept it: the lines' bytes in one
// buffer and a few bytes per item. Read it in order with Next.
class ReceivedBatch {
public:
    struct Item {
        ReceivedItem::Kind kind = ReceivedItem::Kind::Line;
        std::string_view line;                 // Line: its bytes as received, without CR or LF
        uint32_t count = 0;                    // Overflow: how many lines were not stored
        const UserMessage* message = nullptr;  // Message: a channel message raised on the worker
    };

    size_t size() const { return entries.size(); }
    // The next item, valid until the next call; false after the last.
    bool Next(Item& item);

private:
    friend class ReceiveQueue;
    struct Entry {
        ReceivedItem::Kind kind;
        uint32_t size;  // Line: its length; Overflow: the lines not stored
    };
    std::vector<Entry> entries;
    std::string text;
    std::vector<UserMessage> messages;
    size_t entryAt = 0, textAt = 0, messageAt = 0;
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
    // The most buffer memory a side keeps between takes: what a paced stream needs, a small
    // part of a burst's.
    static constexpr size_t kKeptCapacity = 64u << 10;

    explicit ReceiveQueue(std::function<void()> wake, size_t byteLimit = kDefaultByteLimit);

    void PushLine(const char* line);
    void PushPortLost();
    void PushMessage(const UserMessage& message);

    // Moves everything queued into `out` (emptied first), oldest first.
    void TakeAll(ReceivedBatch& out);
    // Drops everything queued (a port closed: its lines belong to no operation any more).
    void Clear();

private:
    using Entry = ReceivedBatch::Entry;

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
