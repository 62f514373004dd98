#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>

#include <cstring>
#include <string>

#include "tests/integration/channel_fixture.h"
#include "tests/integration/worker_harness.h"

namespace {

std::string Pattern(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>('A' + i % 26));
    }
    return bytes;
}

class Channel : public ChannelTest {
protected:
    int Exclusive() const {
        int exclusive = -1;
        return ioctl(pty.Slave(), TIOCGEXCL, &exclusive) == 0 ? exclusive : -1;
    }
    void DeviceSends(const std::string& bytes) {
        const int before = pty.Unread();
        pty.Send(bytes);
        ASSERT_TRUE(WaitUntil([&] { return pty.Unread() >= before + int(bytes.size()); }));
    }
    std::string Read() {
        std::memset(buffer, 'x', sizeof buffer);
        const int n = port.ReadPort(buffer, 128);
        EXPECT_EQ(std::string(buffer + n, buffer + 128), std::string(128 - n, '\0'));
        EXPECT_EQ(buffer[128], 'x') << "read past the capacity";
        return std::string(buffer, static_cast<size_t>(n));
    }
    char buffer[129];
};

// A fresh pseudo-terminal is cooked and echoing; the open makes it raw and holds it alone.
TEST_F(Channel, OpensRawAndExclusiveAndLetsGoOnClose) {
    EXPECT_EQ(port.ClosePort(), 1);  // nothing held: silently done
    termios line{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &line), 0);
    line.c_iflag |= ICRNL | IXON | IXOFF;
    line.c_cflag |= CRTSCTS | CSTOPB;
    line.c_lflag |= ECHO | ICANON;
    cfsetspeed(&line, B9600);
    ASSERT_EQ(tcsetattr(pty.Slave(), TCSANOW, &line), 0);
    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(tcgetattr(pty.Slave(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), speed_t(B115200));
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              tcflag_t(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
    DeviceSends("!7\r0\n0");
    EXPECT_EQ(Read(), "!7\r0\n0");      // no CR made LF, no line held back
    EXPECT_EQ(pty.Receive(1, 50), "");  // no echo
    EXPECT_EQ(port.DevicePath(), tree.Path("links/COM7"));
    EXPECT_EQ(Exclusive(), 1);

    RecordingSink otherSink;
    CSCom other(map, otherSink);
    EXPECT_EQ(other.OpenPort(kPort, {}), 0);
    EXPECT_EQ(Open(), 0);
    ASSERT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(Exclusive(), 0);  // the test's own descriptor must not keep our exclusivity
    EXPECT_EQ(other.OpenPort(kPort, {}), 1);
    ASSERT_EQ(otherSink.Count(), 1u);
    EXPECT_EQ(otherSink.Messages()[0].text, "Cannot open COM7!");
    EXPECT_NE(otherSink.Messages()[0].detail.find("in use by another program"), std::string::npos);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "COM7 is alreasy opened!");
}

// Each refusal shows one message with the reason, holds nothing and leaves the port usable.
TEST_F(Channel, RefusedOpensHoldNothing) {
    tree.MakeLink("links/COM9", tree.Path("gone"));  // dangling: COM9 is ttyUSB4, absent
    tree.MakeLink("links/COM12", "/dev/null");
    const int holder = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
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
        {12, {}, "Cannot open COM12!", "is not a serial port"},
        {kPort, {}, "Cannot open COM7!", "in use by another program"},
        {kPort, slow, std::strerror(EINVAL), "115200"},
    };
    const int before = OpenDescriptorCount();
    for (const auto& c : cases) {
        EXPECT_EQ(port.OpenPort(c.portNumber, c.settings), 0);
        const UserMessage shown = sink.Messages().back();
        EXPECT_EQ(shown.text, c.text);
        EXPECT_NE(shown.detail.find(c.detail), std::string::npos) << shown.detail;
        EXPECT_EQ(shown.icon,
                  c.settings.baudRate == 9600 ? MessageIcon::Information : MessageIcon::Warning);
        EXPECT_EQ(port.portOpen.load(), 0);
        EXPECT_EQ(port.DevicePath(), "");
    }
    EXPECT_EQ(sink.Messages().back().caption, "Error");
    EXPECT_EQ(sink.Count(), 5u);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(Exclusive(), 0);
    close(holder);
    EXPECT_EQ(Open(), 1);
}

TEST_F(Channel, ReadsWhatArrivedWritesBoundedAndCloseDropsUnsentBytes) {
    EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
    EXPECT_EQ(port.ReadPort(buffer, 128), 0);
    DeviceSends("stale\r");
    ASSERT_EQ(Open(), 1);
    (void)pty.Receive(64, 50);  // the fresh terminal's echo of it, before the open
    const std::string sent = Pattern(200);
    DeviceSends(sent);
    EXPECT_EQ(Read(), sent.substr(0, 128));
    EXPECT_EQ(Read(), sent.substr(128));
    EXPECT_EQ(Read(), "");
    const std::string line = "!WS !PA 10.1.0.1\r\n\t\x7f";
    EXPECT_EQ(port.WritePort(line.data(), int(line.size())), int(line.size()));
    EXPECT_EQ(pty.Receive(line.size(), 5000), line);

    const std::string block = Pattern(1 << 20);  // far more than the device takes
    const int written = port.WritePort(block.data(), int(block.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, int(block.size()));
    ASSERT_EQ(port.ClosePort(), 1);
    const std::string arrived = pty.Receive(size_t(written), 300);
    EXPECT_LT(arrived.size(), size_t(written));
    EXPECT_EQ(arrived, block.substr(0, arrived.size()));
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Messages()[0].text, "The port is not opened!");
    EXPECT_EQ(sink.Messages()[1].text, "The port is not opened!");
}

TEST_F(Channel, UnpluggedDeviceIsLostOnceWithOneMessage) {
    WorkerHarness worker(port);
    worker.onPortLost = [&] {
        EXPECT_EQ(port.WritePort("!VS\r", 4), 0);
        port.portOpen.store(0);
        port.ClosePort();
    };
    ASSERT_EQ(worker.OpenLikeOwner(kPort), 1);
    pty.Unplug();
    ASSERT_TRUE(worker.WaitForPortLost(1));
    port.Wake();
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.PortLostCount(), 1);
    EXPECT_TRUE(port.LineLost());
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Messages()[0].text, "Fail to read file:" + std::to_string(EIO));
    EXPECT_EQ(sink.Messages()[1].text, "Fail to write file:" + std::to_string(EIO));
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(sink.Messages().back().text, "Cannot open COM7!");
}

}  // namespace
