#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "tests/integration/channel_fixture.h"

namespace {

TEST_F(ChannelTest, OpensRawAndExclusiveReadsWritesAndDropsUnsentBytesOnClose) {
    EXPECT_EQ(port.ClosePort(), 1);  // nothing held: silently done
    EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
    termios line{};  // a terminal left cooked, echoing, slow and with flow control
    ASSERT_EQ(tcgetattr(pty.slave, &line), 0);
    line.c_iflag |= ICRNL | IXON | IXOFF;
    line.c_cflag |= CRTSCTS | CSTOPB;
    cfsetspeed(&line, B9600);
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &line), 0);
    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(tcgetattr(pty.slave, &line), 0);
    EXPECT_EQ(cfgetospeed(&line), speed_t(B115200));
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              tcflag_t(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
    std::string sent = "!7\r0\n";
    while (sent.size() < 200) {
        sent += static_cast<char>('A' + sent.size() % 26);
    }
    pty.Send(sent);
    const std::string first = Read();  // 128, then the rest: no CR made LF, nothing held back
    EXPECT_EQ(first + Read(), sent);
    EXPECT_EQ(Read(), "");
    EXPECT_EQ(ReadFrom(pty.master, 1, 50), "");  // the device receives no echo
    EXPECT_EQ(port.WritePort(sent.data(), 200), 200);
    EXPECT_EQ(ReadFrom(pty.master, 200, 5000), sent);
    EXPECT_EQ(Exclusive(), 1);
    RecordingSink otherSink;
    CSCom other(map, otherSink);
    EXPECT_EQ(other.OpenPort(kPort, {}), 0);
    EXPECT_EQ(Open(), 0);

    const std::string block(1 << 20, 'B');  // far more than the device takes
    const int written = port.WritePort(block.data(), int(block.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, int(block.size()));
    ASSERT_EQ(port.ClosePort(), 1);
    EXPECT_LT(ReadFrom(pty.master, size_t(written), 300).size(), size_t(written));
    EXPECT_EQ(Exclusive(), 0);  // the test's own descriptor must not keep our exclusivity
    EXPECT_EQ(other.OpenPort(kPort, {}), 1);
    ASSERT_EQ(otherSink.Count(), 1u);
    EXPECT_EQ(otherSink.messages[0].text, "Cannot open COM7!");
    EXPECT_NE(otherSink.messages[0].detail.find("in use by another program"), std::string::npos);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.messages[0].text, "The port is not opened!");
    EXPECT_EQ(sink.messages[1].text, "COM7 is alreasy opened!");
}

// Whatever the device sent before the open (an answer to an earlier session, bytes a cooked
// terminal already turned into a line) belongs to no exchange of this one: an open port
// starts with nothing to read, then reads the device's next line alone.
TEST_F(ChannelTest, BytesSentBeforeTheOpenAreNeverRead) {
    const struct {
        const char* before;
        bool openedAndClosedFirst;  // else the line is left cooked by another program
    } cases[] = {{"stale\r", false}, {"!VS 1.0\r", true}};
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.slave, &cooked), 0);
    for (const auto& c : cases) {
        if (c.openedAndClosedFirst) {
            ASSERT_EQ(Open(), 1);
            ASSERT_EQ(port.ClosePort(), 1);
        } else {
            ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &cooked), 0);
        }
        pty.Send(c.before);
        ASSERT_GT(pty.Unread(), 0) << c.before;
        ASSERT_EQ(Open(), 1);
        EXPECT_EQ(pty.Unread(), 0) << c.before;
        EXPECT_EQ(Read(), "") << c.before;
        pty.Send("!7\r");
        char spare[4];  // no buffer or no room: nothing is read, the line waits
        EXPECT_EQ(port.ReadPort(spare, -1) + port.ReadPort(nullptr, 4), 0);
        EXPECT_EQ(Read(), "!7\r") << c.before;
        ASSERT_EQ(port.ClosePort(), 1);
    }
    EXPECT_EQ(sink.Count(), 0u);
}

// A port that is closed, or whose owner has begun to close it (the flag cleared first), is
// never read: not its descriptor, nor whatever took that descriptor's number since. The
// worker's read is refused without a word; another caller is told once.
TEST_F(ChannelTest, NoReadOnceTheOwnerClosesOrHasClosed) {
    const struct {
        bool closed;
        int flag;  // portOpen as the owner leaves it; 1 after a close is an owner's slip
        bool workerWaits;
    } cases[] = {{false, 0, false}, {true, 0, false}, {true, 1, false}, {false, 0, true}};
    for (const auto& c : cases) {
        const size_t shown = sink.Count();
        const int portDescriptor = [] {
            const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
            close(probe);
            return probe;  // the lowest free number: the open takes it
        }();
        ASSERT_EQ(Open(), 1);
        int reused[2] = {-1, -1};
        if (c.closed) {
            ASSERT_EQ(port.ClosePort(), 1);
            ASSERT_EQ(pipe2(reused, O_CLOEXEC | O_NONBLOCK), 0);
            ASSERT_EQ(reused[0], portDescriptor);
            ASSERT_EQ(write(reused[1], "!PA\r", 4), 4);
        }
        pty.Send("!PA\r");
        port.portOpen.store(c.flag);
        if (c.workerWaits) {
            port.Wake();
            port.WaitForInput();  // from here on the channel knows a worker reads
        }
        char buffer[16] = {};
        EXPECT_EQ(port.ReadPort(buffer, sizeof buffer), 0);
        EXPECT_EQ(std::string(buffer), "");
        EXPECT_EQ(pty.Unread(), 4) << "the port was read";
        int pending = 4;
        EXPECT_TRUE(!c.closed || ioctl(reused[0], FIONREAD, &pending) == 0);
        EXPECT_EQ(pending, 4) << "a descriptor that took the port's number was read";
        EXPECT_FALSE(port.LineLost());
        ASSERT_EQ(sink.Count(), shown + (c.workerWaits ? 0 : 1));
        EXPECT_TRUE(c.workerWaits || sink.messages.back().text == "The port is not opened!");
        port.portOpen.store(0);
        ASSERT_EQ(port.ClosePort(), 1);
        close(reused[0]);
        close(reused[1]);
    }
}

// Each refusal shows one message with the reason, holds nothing and leaves the port usable.
TEST_F(ChannelTest, RefusedOpensHoldNothing) {
    tree.MakeLink(TempTree::kLinks + std::string("/COM9"), tree.Path("gone"));  // ttyUSB4 then
    tree.MakeLink(TempTree::kLinks + std::string("/COM12"), "/dev/null");
    const int holder = open(map.DevicePath(kPort).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    SerialSettings slow;
    slow.baudRate = 9600;
    const struct {
        uint16_t portNumber;
        SerialSettings settings;
        std::string text;
        std::string detail;
    } cases[] = {
        {0, {}, "Cannot open COM0!", "COM0 is not mapped"},
        {9, {}, "Cannot open COM9!", std::strerror(ENOENT)},
        {12, {}, "Cannot open COM12!", "It is not a serial port"},
        {kPort, {}, "Cannot open COM7!", "in use by another program"},
        {kPort, slow, std::strerror(EINVAL), "115200"},
    };
    const int before = OpenDescriptorCount();
    for (const auto& c : cases) {
        EXPECT_EQ(port.OpenPort(c.portNumber, c.settings), 0);
        const UserMessage shown = sink.messages.back();
        EXPECT_EQ(shown.text, c.text);
        EXPECT_NE(shown.detail.find(c.detail), std::string::npos) << shown.detail;
        EXPECT_EQ(shown.caption, c.settings.baudRate == 9600 ? "Error" : "");
        EXPECT_EQ(port.DevicePath(), "");
    }
    EXPECT_EQ(sink.Count(), 5u);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(Exclusive(), 0);
    close(holder);
    EXPECT_EQ(Open(), 1);
}

TEST_F(ChannelTest, UnpluggedDeviceIsLostOnceWithOneMessage) {
    WorkerHarness worker(map, sink);
    ASSERT_TRUE(worker.link.Open(kPort));
    pty.Unplug();
    ASSERT_TRUE(worker.WaitUntil([](const auto& taken) { return taken.lost >= 1; }));
    // What the window does on a lost port: a write still fails once, then the port closes.
    EXPECT_EQ(worker.link.WritePort("!VS\r", 4), 0);
    worker.link.Close();
    worker.link.Stop();
    EXPECT_EQ(worker.Seen().lost, 1);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.messages[0].text, "Fail to read file:" + std::to_string(EIO));
    EXPECT_EQ(sink.messages[1].text, "Fail to write file:" + std::to_string(EIO));
}

// Opens and closes while the device floods the line: no close may hang while the worker
// waits or reads, no descriptor leak, nothing but the device's bytes read.
TEST_F(ChannelTest, OpenCloseCyclesUnderFloodLoseAndLeakNothing) {
    const std::string flood = "!PA 192.168.0.10\r";
    const int descriptorsBefore = OpenDescriptorCount();
    std::atomic<bool> stop{false};
    std::thread device([&] {
        for (pollfd room{pty.master, POLLOUT, 0}; !stop.load();) {
            if (poll(&room, 1, 5) > 0) {
                (void)!write(pty.master, flood.data(), flood.size());
            }
        }
    });
    bool cycled = true;
    {
        WorkerHarness worker(map, sink);
        for (int cycle = 0; cycle < 200 && cycled; ++cycle) {
            const size_t seen = worker.Seen().lines.size();
            cycled = worker.link.Open(kPort) &&
                     worker.WaitUntil([&](const auto& taken) { return taken.lines.size() > seen; });
            worker.link.Close();
        }
        worker.link.Stop();
        for (const std::string& line : worker.Seen().lines) {
            EXPECT_EQ(line.find_first_not_of(flood.substr(0, 16)), std::string::npos) << line;
        }
    }
    stop.store(true);
    device.join();
    EXPECT_TRUE(cycled);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}

}  // namespace
