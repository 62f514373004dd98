#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/receive_queue.h"

namespace {

std::vector<std::string> Describe(const std::vector<ReceivedItem>& items) {
    std::vector<std::string> out;
    for (const ReceivedItem& item : items) {
        // A line as it is; the others as <what they carry>.
        const bool line = item.kind == ReceivedItem::Kind::Line;
        const bool lost = item.kind == ReceivedItem::Kind::PortLost;
        out.push_back(line   ? item.line
                      : lost ? "<lost>"
                             : "<" + item.message.text + item.line + ">");
    }
    return out;
}

}  // namespace

// The reader is woken once per batch, and takes the batch whole and in order.
TEST(ReceiveQueue, WakesOnlyWhenEmptyAndKeepsOrder) {
    int wakes = 0;
    ReceiveQueue queue([&] { ++wakes; });
    std::vector<ReceivedItem> taken;
    queue.PushLine("a");
    queue.PushMessage(UserMessage{"m", "", "", MessageIcon::Error});
    queue.PushLine("b");
    queue.PushPortLost();
    EXPECT_EQ(wakes, 1);
    queue.TakeAll(taken);
    EXPECT_EQ(Describe(taken), (std::vector<std::string>{"a", "<m>", "b", "<lost>"}));
    queue.PushLine("c");
    EXPECT_EQ(wakes, 2);
    queue.Clear();
    queue.TakeAll(taken);
    EXPECT_TRUE(taken.empty());
}

// Past the bound one marker in place counts the lines not kept; room made by the reader is
// used again, and a later run of lost lines gets a marker of its own.
TEST(ReceiveQueue, BoundedWithOneMarkerPerRunOfLostLines) {
    ReceiveQueue queue([] {}, 64);  // room for two lines of 20 bytes
    const std::string line(19, '.');
    std::vector<ReceivedItem> taken;
    for (const char* end : {"a", "b", "c", "d"}) {
        queue.PushLine((line + end).c_str());
    }
    queue.PushPortLost();
    queue.PushLine("e");
    queue.TakeAll(taken);
    EXPECT_EQ(Describe(taken),
              (std::vector<std::string>{line + "a", line + "b", "<2>", "<lost>", "<1>"}));
    queue.PushLine("f");
    queue.TakeAll(taken);
    EXPECT_EQ(Describe(taken), (std::vector<std::string>{"f"}));
}
