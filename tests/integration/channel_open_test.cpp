#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/integration/channel_fixture.h"

namespace {

class ChannelOpen : public ChannelTest {
protected:
    // A fresh pseudo-terminal is cooked, echoing and at 38400: the open must change all that.
    void ExpectRawAt115200() const {
        termios line{};
        ASSERT_EQ(tcgetattr(pty.Slave(), &line), 0);
        EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B115200));
        EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
        EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
        EXPECT_EQ(line.c_cc[VMIN], 0);
        EXPECT_EQ(line.c_cc[VTIME], 0);
    }
    void Cook() const {
        termios cooked{};
        ASSERT_EQ(tcgetattr(pty.Slave(), &cooked), 0);
        cooked.c_iflag |= ICRNL | IXON | IXOFF;
        cooked.c_cflag |= CRTSCTS;
        cooked.c_lflag |= ECHO | ICANON;
        cfsetspeed(&cooked, B9600);
        ASSERT_EQ(tcsetattr(pty.Slave(), TCSANOW, &cooked), 0);
    }
    int Exclusive() const {
        int exclusive = -1;
        EXPECT_EQ(ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
        return exclusive;
    }
    // The one message shown: a refused open of COM<n>, with the system's reason under it.
    void ExpectCannotOpen(const RecordingSink& messages, int portNumber, const char* reason) {
        ASSERT_EQ(messages.Count(), 1u);
        const UserMessage message = messages.Messages()[0];
        EXPECT_EQ(message.text, "Cannot open COM" + std::to_string(portNumber) + "!");
        EXPECT_EQ(message.caption, "");
        EXPECT_EQ(message.icon, MessageIcon::Warning);
        EXPECT_NE(message.detail.find(reason), std::string::npos) << message.detail;
        EXPECT_EQ(port.portOpen.load(), 0);
        EXPECT_EQ(port.DevicePath(), "");
    }
};

// Every open configures the line again, whatever was done to it in between.
TEST_F(ChannelOpen, OpensRawAt115200WithoutFlowControlEveryTimeAndLeaksNothing) {
    EXPECT_EQ(port.ClosePort(), 1);  // closing what never opened succeeds silently
    const int before = OpenDescriptorCount();
    for (int cycle = 0; cycle < 20; ++cycle) {
        Cook();
        ASSERT_EQ(Open(), 1) << cycle;
        EXPECT_EQ(port.portOpen.load(), 1);
        EXPECT_FALSE(port.LineLost());
        EXPECT_EQ(port.DevicePath(), tree.Path("links/COM7"));
        ExpectRawAt115200();
        ASSERT_EQ(port.ClosePort(), 1);
        EXPECT_EQ(port.DevicePath(), "");
    }
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ChannelOpen, HoldsThePortExclusivelyUntilClosed) {
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(Exclusive(), 1);
    RecordingSink otherSink;
    CSCom other(map, otherSink);
    EXPECT_EQ(other.OpenPort(kPort, SerialSettings{}), 0);
    ASSERT_EQ(otherSink.Count(), 1u);
    EXPECT_EQ(otherSink.Messages()[0].text, "Cannot open COM7!");
    EXPECT_NE(otherSink.Messages()[0].detail.find("in use by another program"), std::string::npos);
    EXPECT_EQ(other.portOpen.load(), 0);

    EXPECT_EQ(port.ClosePort(), 1);
    // Another descriptor of the terminal is still open (the test's): it must not keep our
    // exclusivity, or no other program could open the port after us.
    EXPECT_EQ(Exclusive(), 0);
    EXPECT_EQ(other.OpenPort(kPort, SerialSettings{}), 1);
    EXPECT_EQ(other.ClosePort(), 1);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ChannelOpen, PortHeldByAnotherProgramIsRefused) {
    const int holder = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Open(), 0);
    ExpectCannotOpen(sink, kPort, "in use by another program");
    close(holder);
    EXPECT_EQ(Open(), 1);
}

TEST_F(ChannelOpen, SecondOpenIsRefusedAndLeavesThePortAlone) {
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(port.OpenPort(12, SerialSettings{}), 0);
    EXPECT_EQ(Open(), 0);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Messages()[0].text, "COM12 is alreasy opened!");
    EXPECT_EQ(sink.Messages()[1].text, "COM7 is alreasy opened!");
    EXPECT_EQ(port.portOpen.load(), 1);
    EXPECT_EQ(port.DevicePath(), tree.Path("links/COM7"));
    EXPECT_EQ(port.WritePort("!VS\r", 4), 4);
    EXPECT_EQ(pty.Receive(4, 5000), "!VS\r");
}

class RefusedSettings : public ChannelOpen, public ::testing::WithParamInterface<SerialSettings> {};

TEST_P(RefusedSettings, ShowTheSystemReasonAndCloseAgain) {
    const int before = OpenDescriptorCount();
    EXPECT_EQ(Open(GetParam()), 0);
    ASSERT_EQ(sink.Count(), 1u);
    const UserMessage message = sink.Messages()[0];
    EXPECT_EQ(message.text, std::strerror(EINVAL));
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_EQ(port.portOpen.load(), 0);
    EXPECT_EQ(port.DevicePath(), "");
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(Exclusive(), 0);
    EXPECT_EQ(Open(), 1);
}

SerialSettings Settings(uint32_t baud, uint8_t size, uint8_t parity, uint8_t stop) {
    SerialSettings settings;
    settings.baudRate = baud;
    settings.byteSize = size;
    settings.parity = parity;
    settings.stopBits = stop;
    return settings;
}

// Unknown rate, nine bits, parity code 5, stop code 3; and a pseudo-terminal always runs 8
// bits without parity, whatever it is asked: the channel must notice that it did not take them.
INSTANTIATE_TEST_SUITE_P(Cases, RefusedSettings,
                         ::testing::Values(Settings(12345, 8, 0, 0), Settings(115200, 9, 0, 0),
                                           Settings(115200, 8, 5, 0), Settings(115200, 8, 0, 3),
                                           Settings(115200, 7, 0, 0), Settings(115200, 8, 2, 0)));

TEST_F(ChannelOpen, WithoutWakeUpDescriptorThePortIsRefusedAndWakeStillWorks) {
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    rlimit none = limit;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    RecordingSink starvedSink;
    CSCom starved(map, starvedSink);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);

    EXPECT_EQ(starved.OpenPort(kPort, SerialSettings{}), 0);
    ASSERT_EQ(starvedSink.Count(), 1u);
    EXPECT_EQ(starvedSink.Messages()[0].text, "Cannot open COM7!");
    EXPECT_NE(starvedSink.Messages()[0].detail.find(std::strerror(EMFILE)), std::string::npos);
    starved.Wake();
    starved.WaitForInput();  // returns: the wake-up came first
    EXPECT_EQ(Open(), 1);
}

struct MissingCase {
    uint16_t portNumber;
    const char* linkTarget;  // COM<portNumber> links here; "" for no link
};

class RefusedPorts : public ChannelOpen, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(RefusedPorts, AreRefusedLikeAMissingPort) {
    tree.WriteFile("files/regular", "not a port");
    tree.MakeFifo("files/fifo");
    tree.MakeDir("files/folder");
    const std::string target = GetParam().linkTarget;
    if (!target.empty()) {
        tree.MakeLink("links/COM" + std::to_string(GetParam().portNumber),
                      target[0] == '/' ? target : tree.Path(target));
    }
    const int before = OpenDescriptorCount();
    EXPECT_EQ(port.OpenPort(GetParam().portNumber, SerialSettings{}), 0);
    ExpectCannotOpen(sink, GetParam().portNumber, "");
    EXPECT_FALSE(sink.Messages()[0].detail.empty());
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(sink.Count(), 1u);
}

// Port 0, an unmapped number, an absent built-in device, a dangling link, and links to a
// regular file, a fifo, a folder and a device that is no terminal.
INSTANTIATE_TEST_SUITE_P(Cases, RefusedPorts,
                         ::testing::Values(MissingCase{0, ""}, MissingCase{27, ""},
                                           MissingCase{5, ""}, MissingCase{9, "files/gone"},
                                           MissingCase{9, "files/regular"},
                                           MissingCase{9, "files/fifo"},
                                           MissingCase{9, "files/folder"},
                                           MissingCase{9, "/dev/null"}));

}  // namespace
