#include "sim/pty_host.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "sim/demo_script.h"
#include "slave_port.h"
#include "wire_lines.h"

namespace {

using Lines = std::vector<std::string>;

Lines WithConfirm(Lines lines) {
    lines.push_back("!700");
    return lines;
}

bool IsRaw(int fd) {
    termios settings{};
    return tcgetattr(fd, &settings) == 0 && (settings.c_lflag & (ICANON | ECHO | ISIG)) == 0 &&
           (settings.c_iflag & (ICRNL | IXON)) == 0 && (settings.c_oflag & OPOST) == 0;
}

TEST(PtyHost, ServesTheListingToARawSlave) {
    PtyHost host{DeviceModel(DemoScript())};
    std::string error;
    ASSERT_TRUE(host.Start(&error)) << error;
    SlavePort port(host.SlavePath());
    ASSERT_GE(port.fd, 0) << host.SlavePath();

    EXPECT_TRUE(IsRaw(port.fd));
    ASSERT_TRUE(port.Send("!VS\r"));
    EXPECT_EQ(WireLines(port.ReadUntil("!700\r")), WithConfirm(DemoScript()));
    EXPECT_TRUE(host.WaitForCommands(1, 10000));
}

TEST(PtyHost, WritesThroughTheLineReachTheModel) {
    PtyHost host{DeviceModel({"!PA 10.1.0.1"})};
    ASSERT_TRUE(host.Start());
    SlavePort port(host.SlavePath());
    const Lines commands = {"!UE 3D9F1B62", "!ES", "!UE 3D9F1B62", "!WS !PA 192.168.0.2",
                            "!WS !PP 1470"};
    for (const std::string& command : commands) {
        ASSERT_TRUE(port.Send(command + "\r"));
        EXPECT_EQ(port.ReadUntil("\r"), "!700\r") << command;
    }
    ASSERT_TRUE(host.WaitForCommands(commands.size(), 10000));
    host.WithModel([&](DeviceModel& model) {
        EXPECT_EQ(model.CommandLog(), commands);
        EXPECT_EQ(model.StoredLines(), (Lines{"!PA 192.168.0.2", "!PP 1470"}));
    });
    EXPECT_FALSE(host.WaitForCommands(commands.size() + 1, 1));
}

TEST(PtyHost, SplitAndDelayedAnswersArriveWhole) {
    DeviceFaults faults;
    faults.splitAnswers = true;
    faults.lfAfterCr = true;
    PtyHost host{DeviceModel(DemoScript(), faults)};
    host.SetAnswerDelay(30);
    ASSERT_TRUE(host.Start());
    SlavePort port(host.SlavePath());
    ASSERT_TRUE(port.Send("!VS\r"));
    const std::string got = port.ReadUntil("!700\r\n");
    EXPECT_EQ(WireLines(got), WithConfirm(DemoScript()));
    EXPECT_EQ(got.find("\r!"), std::string::npos);  // every CR has its LF
}

TEST(PtyHost, ReopenedPortStaysRawAndKeepsBytesSentWhileClosed) {
    PtyHost host{DeviceModel({"!TB 9600"})};
    ASSERT_TRUE(host.Start());
    const std::string raw = "a\rb\n\x03\x04\x11\x7f!700\r";
    for (int open = 0; open < 3; ++open) {
        host.Inject(raw);  // while the port is closed
        SlavePort port(host.SlavePath());
        ASSERT_GE(port.fd, 0);
        EXPECT_TRUE(IsRaw(port.fd)) << "open " << open;
        EXPECT_EQ(port.ReadUntil("!700\r"), raw) << "open " << open;
        ASSERT_TRUE(port.Send("!VS\r"));
        EXPECT_EQ(port.ReadUntil("!700\r"), "!TB 9600\r!700\r") << "open " << open;
    }
}

TEST(PtyHost, LargeInjectionArrivesCompleteAndInOrder) {
    PtyHost host{DeviceModel()};
    ASSERT_TRUE(host.Start());
    SlavePort port(host.SlavePath());
    std::string flood;
    for (size_t i = 0; flood.size() < (1u << 20); ++i) {
        flood += "!XX " + std::to_string(i) + "\r";
    }
    std::thread injector([&] { host.Inject(flood); });
    const std::string got = port.ReadUntil("", flood.size(), 60000);
    injector.join();
    EXPECT_EQ(got.size(), flood.size());
    EXPECT_TRUE(got == flood);
}

TEST(PtyHost, UnplugMakesTheOpenPortFail) {
    PtyHost host{DeviceModel(DemoScript())};
    ASSERT_TRUE(host.Start());
    SlavePort port(host.SlavePath());
    ASSERT_TRUE(port.Send("!VS\r"));
    ASSERT_TRUE(host.WaitForCommands(1, 10000));

    host.Unplug();
    pollfd ready{port.fd, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1);
    EXPECT_NE(ready.revents & POLLHUP, 0);
    char byte = 0;
    EXPECT_LE(read(port.fd, &byte, 1), 0);  // end of file: the line has hung up
    errno = 0;
    EXPECT_EQ(write(port.fd, "!VS\r", 4), -1);
    EXPECT_EQ(errno, EIO);

    host.Inject("ignored");  // returns at once, nothing to write to
    host.Unplug();
    host.WithModel([](DeviceModel& model) { EXPECT_EQ(model.CommandLog(), Lines{"!VS"}); });
}

TEST(PtyHost, UnplugReleasesAnInjectionNobodyReads) {
    PtyHost host{DeviceModel()};
    ASSERT_TRUE(host.Start());
    std::thread injector([&] { host.Inject(std::string(1u << 20, 'x')); });
    host.Unplug();
    injector.join();
    EXPECT_FALSE(host.WaitForCommands(1, 1));
}

TEST(PtyHost, StartsOnceAndLinksOnlyOnceStarted) {
    PtyHost host{DeviceModel()};
    std::string error;
    EXPECT_FALSE(host.LinkAsCom(9, "/nonexistent-quillbox-test", &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(host.Start(&error)) << error;
    EXPECT_EQ(host.SlavePath().rfind("/dev/pts/", 0), 0u) << host.SlavePath();
    error.clear();
    EXPECT_FALSE(host.Start(&error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
