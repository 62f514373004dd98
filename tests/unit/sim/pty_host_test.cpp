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

namespace {

using Lines = std::vector<std::string>;

bool IsRaw(int fd) {
    termios settings{};
    return tcgetattr(fd, &settings) == 0 && (settings.c_lflag & (ICANON | ECHO | ISIG)) == 0 &&
           (settings.c_iflag & (ICRNL | IXON)) == 0 && (settings.c_oflag & OPOST) == 0;
}

TEST(PtyHost, ReopenedPortStaysRawAndKeepsBytesSentWhileClosed) {
    PtyHost host{DeviceModel({"!TB 9600"})};
    ASSERT_TRUE(host.Start());
    const std::string raw = "a\rb\n\x03\x04\x11\x7f!700\r";
    for (int open = 0; open < 2; ++open) {
        host.Inject(raw);  // while the port is closed
        SlavePort port(host.SlavePath());
        ASSERT_GE(port.fd, 0);
        EXPECT_TRUE(IsRaw(port.fd)) << "open " << open;
        EXPECT_EQ(port.ReadUntil("!700\r"), raw) << "open " << open;
        ASSERT_TRUE(port.Send("!VS\r"));
        EXPECT_EQ(port.ReadUntil("!700\r"), "!TB 9600\r!700\r") << "open " << open;
    }
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

}  // namespace
