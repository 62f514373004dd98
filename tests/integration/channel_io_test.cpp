#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "tests/integration/channel_fixture.h"

namespace {

constexpr int kCapacity = 128;

std::string Pattern(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>('A' + i % 26));
    }
    return bytes;
}

class ChannelIo : public ChannelTest {
protected:
    void SetUp() override { ASSERT_EQ(Open(), 1); }
    void DeviceSends(const std::string& bytes) {
        const int before = pty.Unread();
        pty.Send(bytes);
        ASSERT_TRUE(
            WaitUntil([&] { return pty.Unread() >= before + static_cast<int>(bytes.size()); }));
    }
    int Read() {
        std::memset(buffer, 'x', sizeof buffer);
        return port.ReadPort(buffer, kCapacity);
    }
    // The read zero-filled the rest of its capacity and wrote nothing past it.
    void ExpectZeroFrom(int from) const {
        EXPECT_EQ(std::string(buffer + from, kCapacity - from),
                  std::string(kCapacity - from, '\0'));
        EXPECT_EQ(buffer[kCapacity], 'x') << "read past the capacity";
    }

    char buffer[kCapacity + 8];
};

TEST_F(ChannelIo, ReadTakesAtMostCapacityTheRestNextTimeThenNothingAtOnce) {
    const std::string sent = Pattern(200);
    DeviceSends(sent);
    ASSERT_EQ(Read(), 128);
    EXPECT_EQ(std::string(buffer, 128), sent.substr(0, 128));
    ExpectZeroFrom(128);
    ASSERT_EQ(Read(), 72);
    EXPECT_EQ(std::string(buffer, 72), sent.substr(128));
    ExpectZeroFrom(72);
    EXPECT_EQ(Read(), 0);
    ExpectZeroFrom(0);
    EXPECT_FALSE(port.LineLost());
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ChannelIo, BytesReceivedBeforeTheOpenAreDiscarded) {
    ASSERT_EQ(port.ClosePort(), 1);
    DeviceSends("stale line\r");
    ASSERT_EQ(Open(), 1);
    DeviceSends("!700\r");
    EXPECT_EQ(Read(), 5);
    EXPECT_EQ(std::string(buffer), "!700\r");
}

TEST_F(ChannelIo, WrittenBytesArriveUnchanged) {
    const std::string line = "!WS !PA 10.1.0.1\r\n\t\x7f";
    EXPECT_EQ(port.WritePort(line.data(), static_cast<int>(line.size())),
              static_cast<int>(line.size()));
    EXPECT_EQ(pty.Receive(line.size(), 5000), line);
    EXPECT_EQ(port.WritePort(line.data(), 0), 0);
    EXPECT_EQ(port.WritePort(nullptr, 4), 0);
    EXPECT_EQ(port.WritePort(line.data(), -4), 0);
    EXPECT_EQ(pty.Receive(1, 50), "");
    EXPECT_EQ(sink.Count(), 0u);
}

// Cleared by the owner's Close handler before the channel is closed, or never opened.
TEST_F(ChannelIo, PortNotOpenRefusesReadsAndWritesWithAWarning) {
    DeviceSends("!700\r");
    port.portOpen.store(0);
    EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(Open(), 0);  // still held: not opened twice
    EXPECT_EQ(sink.Messages().back().text, "COM7 is alreasy opened!");
    ASSERT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
    const std::vector<UserMessage> messages = sink.Messages();
    ASSERT_EQ(messages.size(), 5u);
    for (size_t i : {0, 1, 3, 4}) {
        EXPECT_EQ(messages[i].text, "The port is not opened!");
        EXPECT_EQ(messages[i].icon, MessageIcon::Warning);
    }
    EXPECT_EQ(pty.Receive(1, 50), "");
}

// The worker's sequence when the owner closes right after its wait returned: the read that
// follows raced the close and must not raise "The port is not opened!".
TEST_F(ChannelIo, CloseBetweenTheWorkersWaitAndReadIsNotAMisuse) {
    DeviceSends(Pattern(200));
    port.WaitForInput();
    ASSERT_EQ(Read(), kCapacity);  // full: the worker reads again
    port.portOpen.store(0);
    ASSERT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(sink.Count(), 0u);
    port.Wake();
    port.WaitForInput();  // a wait that begins with the port closed
    EXPECT_EQ(Read(), 0);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "The port is not opened!");
}

TEST_F(ChannelIo, WriteGivesUpWhenTheDeviceTakesNoMore) {
    const std::string block = Pattern(1 << 20);
    const int written = port.WritePort(block.data(), static_cast<int>(block.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(block.size()));
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(pty.Receive(static_cast<size_t>(written), 5000),
              block.substr(0, static_cast<size_t>(written)));
}

// The far side's own receive buffer counts as delivered; everything still queued behind it
// must be dropped by the close, so less arrives than was written.
TEST_F(ChannelIo, CloseDiscardsOutputTheDeviceHasNotTaken) {
    const std::string block = Pattern(1 << 20);
    const int written = port.WritePort(block.data(), static_cast<int>(block.size()));
    ASSERT_GT(written, 0);
    ASSERT_EQ(port.ClosePort(), 1);
    const std::string arrived = pty.Receive(static_cast<size_t>(written), 300);
    EXPECT_LT(arrived.size(), static_cast<size_t>(written));
    EXPECT_EQ(arrived, block.substr(0, arrived.size()));
    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(port.WritePort("!VS\r", 4), 4);
    EXPECT_EQ(pty.Receive(4, 5000), "!VS\r");
}

TEST_F(ChannelIo, UnpluggedDeviceIsReportedOnceAndThePortCanBeClosed) {
    pty.Unplug();
    port.WaitForInput();  // the hang-up wakes the reader
    EXPECT_EQ(Read(), 0);
    EXPECT_TRUE(port.LineLost());
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_EQ(Read(), 0);
    }
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Fail to read file:" + std::to_string(EIO));
    EXPECT_FALSE(sink.Messages()[0].detail.empty());

    EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Messages()[1].text, "Fail to write file:" + std::to_string(EIO));

    port.portOpen.store(0);
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(Open(), 0);  // the device is gone
    EXPECT_EQ(sink.Messages().back().text, "Cannot open COM7!");
}

}  // namespace
