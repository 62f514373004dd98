#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/integration/channel_fixture.h"
#include "tests/integration/worker_harness.h"

namespace {

const std::string kFloodLine = "!PA 192.168.0.10\r";

// Runs `step` on its own thread until destroyed.
class Loop {
public:
    explicit Loop(std::function<void()> step)
        : runner([this, step] {
              while (!stop.load()) {
                  step();
              }
          }) {}
    ~Loop() {
        stop.store(true);
        runner.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread runner;
};

// Open and close while the device floods the line and a bystander opens and closes pipes, so
// that descriptor numbers the channel frees are reused at once: the channel must never read
// or close a descriptor that is no longer its own, nor leak one, nor hang in a close while
// the worker waits.
TEST_F(ChannelTest, OpenCloseCyclesWhileTheDeviceFloodsLoseAndLeakNothing) {
    const int descriptorsBefore = OpenDescriptorCount();
    std::atomic<int> foreign{0};
    {
        WorkerHarness worker(port);
        Loop flood([this] {
            pollfd room{pty.Master(), POLLOUT, 0};
            if (poll(&room, 1, 5) > 0) {
                (void)!write(pty.Master(), kFloodLine.data(), kFloodLine.size());
            }
        });
        Loop bystander([&foreign] {
            int ends[2];
            char back[4] = {};
            if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
                const bool whole = write(ends[1], "ZZZ\r", 4) == 4 && read(ends[0], back, 4) == 4;
                foreign += whole && std::string(back, 4) == "ZZZ\r" ? 0 : 1;
                close(ends[0]);
                close(ends[1]);
            }
        });
        for (int cycle = 0; cycle < 200; ++cycle) {
            ASSERT_EQ(worker.OpenLikeOwner(kPort), 1) << "cycle " << cycle;
            ASSERT_TRUE(worker.WaitForLines(worker.LineCount() + 1)) << "cycle " << cycle;
            worker.CloseLikeOwner();
        }
        ASSERT_TRUE(worker.Stop());
        for (const std::string& line : worker.Lines()) {
            ASSERT_EQ(line.find_first_not_of(kFloodLine.substr(0, 16)), std::string::npos) << line;
        }
    }
    EXPECT_EQ(foreign.load(), 0);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}

}  // namespace
