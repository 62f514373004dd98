#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/receive_queue.h"

namespace {

// Takes everything queued: a line as it is, the others as <what they carry>.
std::vector<std::string> TakeAll(ReceiveQueue& queue) {
    ReceivedBatch batch;
    queue.TakeAll(batch);
    std::vector<std::string> out;
    for (ReceivedBatch::Item item; batch.Next(item);) {
        const bool line = item.kind == ReceivedItem::Kind::Line;
        const bool lost = item.kind == ReceivedItem::Kind::PortLost;
        out.push_back(line                      ? std::string(item.line)
                      : lost                    ? "<lost>"
                      : item.message != nullptr ? "<" + item.message->text + ">"
                                                : "<" + std::to_string(item.count) + ">");
    }
    return out;
}

}  // namespace

// The reader is woken once per batch, and takes the batch whole and in order.
TEST(ReceiveQueue, WakesOnlyWhenEmptyAndKeepsOrder) {
    int wakes = 0;
    ReceiveQueue queue([&] { ++wakes; });
    queue.PushLine("a");
    queue.PushMessage(UserMessage{"m", "", "", MessageIcon::Error});
    queue.PushLine("b");
    queue.PushPortLost();
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"a", "<m>", "b", "<lost>"}));
    queue.PushLine("c");
    EXPECT_EQ(wakes, 2);
    queue.Clear();
    EXPECT_TRUE(TakeAll(queue).empty());
}

// Past the bound one marker in place counts the lines not kept; room made by the reader is
// used again, and a later run of lost lines gets a marker of its own.
TEST(ReceiveQueue, BoundedWithOneMarkerPerRunOfLostLines) {
    ReceiveQueue queue([] {}, 64);  // room for two lines of 20 bytes
    const std::string line(19, '.');
    for (const char* end : {"a", "b", "c", "d"}) {
        queue.PushLine((line + end).c_str());
    }
    queue.PushPortLost();
    queue.PushLine("e");
    EXPECT_EQ(TakeAll(queue),
              (std::vector<std::string>{line + "a", line + "b", "<2>", "<lost>", "<1>"}));
    queue.PushLine("f");
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"f"}));
}
