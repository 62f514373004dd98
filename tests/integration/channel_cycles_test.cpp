#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

#include "tests/integration/channel_fixture.h"
#include "tests/integration/worker_harness.h"

namespace {

constexpr int kCycles = 200;
const std::string kFloodLine = "!PA 192.168.0.10\r";

// The device sends its line again and again until stopped; a full line just waits.
class Flood {
public:
    explicit Flood(int master) : master(master), sender([this] { Run(); }) {}
    ~Flood() {
        stop.store(true);
        sender.join();
    }

private:
    void Run() {
        size_t offset = 0;
        while (!stop.load()) {
            const ssize_t n = write(master, kFloodLine.data() + offset, kFloodLine.size() - offset);
            if (n > 0) {
                offset = (offset + static_cast<size_t>(n)) % kFloodLine.size();
                continue;
            }
            pollfd writable{master, POLLOUT, 0};
            poll(&writable, 1, 5);
        }
    }

    const int master;
    std::atomic<bool> stop{false};
    std::thread sender;
};

// Opens and closes pipes as fast as it can, so that descriptor numbers the channel frees
// are reused at once; its bytes must all come back to it and never reach the channel.
class Bystander {
public:
    Bystander() : runner([this] { Run(); }) {}
    ~Bystander() {
        stop.store(true);
        runner.join();
    }
    int Lost() const { return lost.load(); }
    int Rounds() const { return rounds.load(); }

private:
    void Run() {
        while (!stop.load()) {
            int ends[2];
            if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
                continue;
            }
            char back[4] = {};
            const bool whole = write(ends[1], "ZZZ\r", 4) == 4 && read(ends[0], back, 4) == 4 &&
                               std::string(back, 4) == "ZZZ\r";
            lost.fetch_add(whole ? 0 : 1);
            rounds.fetch_add(1);
            close(ends[0]);
            close(ends[1]);
        }
    }

    std::atomic<bool> stop{false};
    std::atomic<int> lost{0};
    std::atomic<int> rounds{0};
    std::thread runner;
};

bool FromTheFlood(const std::string& line) {
    return line.size() < 128 &&
           line.find_first_not_of(kFloodLine.substr(0, 16)) == std::string::npos;
}

using ChannelCycles = ChannelTest;

TEST_F(ChannelCycles, OpenCloseWhileTheDeviceFloodsLosesNothingAndLeaksNothing) {
    const int descriptorsBefore = OpenDescriptorCount();
    {
        WorkerHarness worker(port);
        Flood flood(pty.Master());
        Bystander bystander;
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            ASSERT_EQ(worker.OpenLikeOwner(kPort), 1) << "cycle " << cycle;
            ASSERT_TRUE(worker.WaitForLines(worker.LineCount() + 1)) << "cycle " << cycle;
            worker.CloseLikeOwner();
            ASSERT_EQ(port.portOpen.load(), 0);
        }
        ASSERT_TRUE(worker.Stop());
        EXPECT_GT(bystander.Rounds(), 0);
        EXPECT_EQ(bystander.Lost(), 0);
        // Across a close the partial line may join with the middle of a later one; every
        // byte must still be the device's.
        for (const std::string& line : worker.Lines()) {
            ASSERT_TRUE(FromTheFlood(line)) << line;
        }
    }
    EXPECT_EQ(sink.Count(), 0u) << sink.Messages()[0].text;
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}

}  // namespace
