#include "protocol/receive_queue.h"

#include <cstring>
#include <utility>

ReceiveQueue::ReceiveQueue(std::function<void()> wake, size_t byteLimit)
    : wake(std::move(wake)), byteLimit(byteLimit) {}

void ReceiveQueue::PushLine(const char* line) {
    const size_t length = std::strlen(line);
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const size_t queued = text.size() + entries.size() * sizeof(Entry);
        if (queued + length + sizeof(Entry) > byteLimit) {
            // One marker for the whole run of lines that found no room, kept in order.
            if (overflowIndex == SIZE_MAX) {
                overflowIndex = entries.size();
                entries.push_back(Entry{ReceivedItem::Kind::Overflow, 0});
            }
            ++entries[overflowIndex].size;
            return;
        }
        text.append(line, length);
        wasEmpty = Append(ReceivedItem::Kind::Line, static_cast<uint32_t>(length));
    }
    Wake(wasEmpty);
}

void ReceiveQueue::PushPortLost() {
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        wasEmpty = Append(ReceivedItem::Kind::PortLost, 0);
    }
    Wake(wasEmpty);
}

void ReceiveQueue::PushMessage(const UserMessage& message) {
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(message);
        wasEmpty = Append(ReceivedItem::Kind::Message, 0);
    }
    Wake(wasEmpty);
}

bool ReceiveQueue::Append(ReceivedItem::Kind kind, uint32_t size) {
    const bool wasEmpty = entries.empty();
    entries.push_back(Entry{kind, size});
    overflowIndex = SIZE_MAX;  // later lines that find no room get a marker of their own
    return wasEmpty;
}

void ReceiveQueue::Wake(bool wasEmpty) {
    if (wasEmpty) {
        wake();
    }
}

void ReceiveQueue::TakeAll(ReceivedBatch& out) {
    out.entries.clear();
    out.text.clear();
    out.messages.clear();
    out.entryAt = out.textAt = out.messageAt = 0;
    std::lock_guard<std::mutex> lock(mutex);
    // Swapped, so that both sides keep their capacity and a stream allocates nothing.
    out.entries.swap(entries);
    out.text.swap(text);
    out.messages.swap(messages);
    overflowIndex = SIZE_MAX;
}

bool ReceivedBatch::Next(Item& item) {
    if (entryAt >= entries.size()) {
        // A stream's buffers go back and forth between the queue and the batch; a burst's are
        // given back once read, not held for good.
        if (text.capacity() > ReceiveQueue::kKeptCapacity) {
            std::string().swap(text);
        }
        if (entries.capacity() * sizeof(Entry) > ReceiveQueue::kKeptCapacity) {
            std::vector<Entry>().swap(entries);
        }
        return false;
    }
    const Entry& entry = entries[entryAt++];
    item = Item();
    item.kind = entry.kind;
    if (entry.kind == ReceivedItem::Kind::Line) {
        item.line = std::string_view(text).substr(textAt, entry.size);
        textAt += entry.size;
    } else if (entry.kind == ReceivedItem::Kind::Overflow) {
        item.count = entry.size;
    } else if (entry.kind == ReceivedItem::Kind::Message) {
        item.message = &messages[messageAt++];
    }
    return true;
}

void ReceiveQueue::Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Entry>().swap(entries);
    std::string().swap(text);
    std::vector<UserMessage>().swap(messages);
    overflowIndex = SIZE_MAX;
}
