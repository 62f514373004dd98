#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <ostream>
#include <string>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "tests/integration/condition_wait.h"
#include "tests/integration/pty_port.h"
#include "tests/integration/recording_sink.h"
#include "tests/unit/link/temp_tree.h"

namespace {

constexpr int kPort = 7;

class ChannelOpen : public ::testing::Test {
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
    int Exclusive() const {
        int exclusive = -1;
        EXPECT_EQ(ioctl(pty.Slave(), TIOCGEXCL, &exclusive), 0);
        return exclusive;
    }

    TempTree tree;
    PtyPort pty{tree, kPort};
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
};

TEST_F(ChannelOpen, OpensRawAt115200WithoutFlowControl) {
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &cooked), 0);
    cooked.c_iflag |= ICRNL | IXON | IXOFF;
    cooked.c_cflag |= CRTSCTS;
    cfsetspeed(&cooked, B9600);
    ASSERT_EQ(tcsetattr(pty.Slave(), TCSANOW, &cooked), 0);

    ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
    EXPECT_EQ(port.portOpen.load(), 1);
    EXPECT_FALSE(port.LineLost());
    EXPECT_EQ(port.DevicePath(), tree.Path("links/COM7"));
    ExpectRawAt115200();
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ChannelOpen, HoldsThePortExclusivelyUntilClosed) {
    ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
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

    EXPECT_EQ(port.OpenPort(kPort, SerialSettings{}), 0);
    ASSERT_EQ(sink.Count(), 1u);
    const UserMessage message = sink.Messages()[0];
    EXPECT_EQ(message.text, "Cannot open COM7!");
    EXPECT_EQ(message.caption, "");
    EXPECT_EQ(message.icon, MessageIcon::Warning);
    EXPECT_NE(message.detail.find("in use by another program"), std::string::npos);
    EXPECT_EQ(port.portOpen.load(), 0);
    EXPECT_EQ(port.DevicePath(), "");

    close(holder);
    EXPECT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
}

TEST_F(ChannelOpen, SecondOpenIsRefusedAndLeavesThePortAlone) {
    ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
    EXPECT_EQ(port.OpenPort(12, SerialSettings{}), 0);
    EXPECT_EQ(port.OpenPort(kPort, SerialSettings{}), 0);
    ASSERT_EQ(sink.Count(), 2u);
    EXPECT_EQ(sink.Messages()[0].text, "COM12 is alreasy opened!");
    EXPECT_EQ(sink.Messages()[1].text, "COM7 is alreasy opened!");
    EXPECT_EQ(port.portOpen.load(), 1);
    EXPECT_EQ(port.DevicePath(), tree.Path("links/COM7"));
    EXPECT_EQ(port.WritePort("!VS\r", 4), 4);
    EXPECT_EQ(pty.Receive(4, 5000), "!VS\r");
}

TEST_F(ChannelOpen, ClosingWhatIsNotOpenSucceedsSilently) {
    EXPECT_EQ(port.ClosePort(), 1);
    ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(port.portOpen.load(), 0);
    EXPECT_EQ(port.DevicePath(), "");
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ChannelOpen, ReopenedPortIsConfiguredAgainAndLeaksNothing) {
    const int before = OpenDescriptorCount();
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
        termios changed{};
        ASSERT_EQ(tcgetattr(pty.Slave(), &changed), 0);
        changed.c_lflag |= ECHO | ICANON;
        ASSERT_EQ(tcsetattr(pty.Slave(), TCSANOW, &changed), 0);
        ASSERT_EQ(port.ClosePort(), 1);
    }
    ASSERT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
    ExpectRawAt115200();
    ASSERT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(sink.Count(), 0u);
}

struct SettingsCase {
    const char* name;
    SerialSettings settings;
};

void PrintTo(const SettingsCase& c, std::ostream* out) {
    *out << c.name;
}

SettingsCase Settings(const char* name, uint32_t baud, uint8_t size, uint8_t parity, uint8_t stop) {
    SerialSettings settings;
    settings.baudRate = baud;
    settings.byteSize = size;
    settings.parity = parity;
    settings.stopBits = stop;
    return {name, settings};
}

class RefusedSettings : public ChannelOpen, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(RefusedSettings, ShowTheSystemReasonAndCloseAgain) {
    const int before = OpenDescriptorCount();
    EXPECT_EQ(port.OpenPort(kPort, GetParam().settings), 0);
    ASSERT_EQ(sink.Count(), 1u);
    const UserMessage message = sink.Messages()[0];
    EXPECT_EQ(message.text, std::strerror(EINVAL));
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_EQ(port.portOpen.load(), 0);
    EXPECT_EQ(port.DevicePath(), "");
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(Exclusive(), 0);
    EXPECT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
}

// A pseudo-terminal always runs 8 bits without parity, whatever it is asked: the channel
// must notice that the line did not take the settings.
INSTANTIATE_TEST_SUITE_P(Cases, RefusedSettings,
                         ::testing::Values(Settings("UnknownRate", 12345, 8, 0, 0),
                                           Settings("NineBits", 115200, 9, 0, 0),
                                           Settings("ParityCode5", 115200, 8, 5, 0),
                                           Settings("StopCode3", 115200, 8, 0, 3),
                                           Settings("SevenBitsNotTaken", 115200, 7, 0, 0),
                                           Settings("EvenParityNotTaken", 115200, 8, 2, 0)));

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
    EXPECT_EQ(port.OpenPort(kPort, SerialSettings{}), 1);
}

struct MissingCase {
    const char* name;
    uint16_t portNumber;
    const char* linkTarget;  // COM<portNumber> links here; "" for no link
};

void PrintTo(const MissingCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedPorts : public ChannelOpen, public ::testing::WithParamInterface<MissingCase> {
protected:
    void SetUp() override {
        tree.WriteFile("files/regular", "not a port");
        tree.MakeFifo("files/fifo");
        tree.MakeDir("files/folder");
        const std::string target = GetParam().linkTarget;
        if (!target.empty()) {
            const std::string path = target[0] == '/' ? target : tree.Path(target);
            tree.MakeLink("links/COM" + std::to_string(GetParam().portNumber), path);
        }
    }
};

TEST_P(RefusedPorts, AreRefusedLikeAMissingPort) {
    const int before = OpenDescriptorCount();
    EXPECT_EQ(port.OpenPort(GetParam().portNumber, SerialSettings{}), 0);
    ASSERT_EQ(sink.Count(), 1u);
    const UserMessage message = sink.Messages()[0];
    EXPECT_EQ(message.text, "Cannot open COM" + std::to_string(GetParam().portNumber) + "!");
    EXPECT_EQ(message.caption, "");
    EXPECT_EQ(message.icon, MessageIcon::Warning);
    EXPECT_FALSE(message.detail.empty());
    EXPECT_EQ(port.portOpen.load(), 0);
    EXPECT_EQ(port.DevicePath(), "");
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_EQ(sink.Count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedPorts,
                         ::testing::Values(MissingCase{"PortZero", 0, ""},
                                           MissingCase{"UnmappedNumber", 27, ""},
                                           MissingCase{"BuiltInDeviceAbsent", 5, ""},
                                           MissingCase{"DanglingLink", 9, "files/gone"},
                                           MissingCase{"RegularFile", 9, "files/regular"},
                                           MissingCase{"Fifo", 9, "files/fifo"},
                                           MissingCase{"Folder", 9, "files/folder"},
                                           MissingCase{"DevNull", 9, "/dev/null"}));

}  // namespace
