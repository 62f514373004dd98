#include "protocol/receive_queue.h"

#include <cstdint>
#include <cstring>
#include <utility>

ReceiveQueue::ReceiveQueue(std::function<void()> wake, size_t byteLimit)
    : wake(std::move(wake)), byteLimit(byteLimit), overflowIndex(SIZE_MAX) {}

void ReceiveQueue::PushLine(const char* line) {
    ReceivedItem item;
    item.line = line;
    const size_t bytes = item.line.size() + sizeof(ReceivedItem);
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (queuedBytes + bytes > byteLimit) {
            // One marker for the whole run of lines that found no room, kept in order.
            if (overflowIndex == SIZE_MAX) {
                overflowIndex = items.size();
                notStored = 0;
                ReceivedItem marker;
                marker.kind = ReceivedItem::Kind::Overflow;
                items.push_back(std::move(marker));
            }
            items[overflowIndex].line = std::to_string(++notStored);
            return;
        }
    }
    Push(std::move(item), bytes);
}

void ReceiveQueue::PushPortLost() {
    ReceivedItem item;
    item.kind = ReceivedItem::Kind::PortLost;
    Push(std::move(item), sizeof(ReceivedItem));
}

void ReceiveQueue::PushMessage(const UserMessage& message) {
    ReceivedItem item;
    item.kind = ReceivedItem::Kind::Message;
    item.message = message;
    Push(std::move(item), sizeof(ReceivedItem));
}

void ReceiveQueue::Push(ReceivedItem item, size_t bytes) {
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        wasEmpty = items.empty();
        items.push_back(std::move(item));
        queuedBytes += bytes;
        overflowIndex = SIZE_MAX;  // later lines that find no room get a marker of their own
    }
    if (wasEmpty) {
        wake();
    }
}

void ReceiveQueue::TakeAll(std::vector<ReceivedItem>& out) {
    out.clear();
    std::lock_guard<std::mutex> lock(mutex);
    out.swap(items);
    queuedBytes = 0;
    overflowIndex = SIZE_MAX;
    notStored = 0;
}

void ReceiveQueue::Clear() {
    std::vector<ReceivedItem> dropped;
    TakeAll(dropped);
}
