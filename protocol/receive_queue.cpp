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

void ReceiveQueue::TakeAll(std::vector<ReceivedItem>& out) {
    std::vector<Entry> takenEntries;
    std::string takenText;
    std::vector<UserMessage> takenMessages;
    {
        std::lock_guard<std::mutex> lock(mutex);
        takenEntries.swap(entries);
        takenText.swap(text);
        takenMessages.swap(messages);
        overflowIndex = SIZE_MAX;
    }
    out.clear();
    out.resize(takenEntries.size());
    size_t textAt = 0;
    size_t messageAt = 0;
    for (size_t i = 0; i < takenEntries.size(); ++i) {
        const Entry& entry = takenEntries[i];
        ReceivedItem& item = out[i];
        item.kind = entry.kind;
        switch (entry.kind) {
            case ReceivedItem::Kind::Line:
                item.line.assign(takenText, textAt, entry.size);
                textAt += entry.size;
                break;
            case ReceivedItem::Kind::Overflow:
                item.line = std::to_string(entry.size);
                break;
            case ReceivedItem::Kind::Message:
                item.message = std::move(takenMessages[messageAt++]);
                break;
            case ReceivedItem::Kind::PortLost:
                break;
        }
    }
}

void ReceiveQueue::Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Entry>().swap(entries);
    std::string().swap(text);
    std::vector<UserMessage>().swap(messages);
    overflowIndex = SIZE_MAX;
}
