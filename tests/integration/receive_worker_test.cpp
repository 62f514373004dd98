#include "protocol/receive_worker.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "tests/integration/condition_wait.h"
#include "tests/integration/pty_port.h"
#include "tests/integration/recording_sink.h"
#include "tests/integration/worker_harness.h"
#include "tests/unit/link/temp_tree.h"

namespace {

using std::chrono::seconds;

constexpr int kPort = 7;

class ReceiveWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(worker.OpenLikeOwner(kPort), 1); }
    // Sends a complete marker line and `partial` in one write and waits until the worker has
    // taken both from the line: the marker proves the bytes reached the terminal, so that an
    // empty input queue afterwards means the worker read them.
    void SendPartialAndWaitTaken(const std::string& partial) {
        const size_t before = worker.owner.LineCount();
        pty.Send(std::string(kMarker) + "\r" + partial);
        ASSERT_TRUE(worker.owner.WaitForLines(before + 1, seconds(10)));
        ASSERT_TRUE(WaitUntil([&] { return pty.Unread() == 0; }));
    }

    static constexpr const char* kMarker = "!PP 1470";

    TempTree tree;
    PtyPort pty{tree, kPort};
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
    WorkerHarness worker{port};
};

TEST_F(ReceiveWorkerTest, BurstOfLinesArrivesInOrderOnTheUiThread) {
    std::vector<std::string> expected;
    std::string burst;
    for (int i = 0; i < 1000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "!SC %04d", i);
        expected.emplace_back(line);
        burst += std::string(line) + "\r\n";
    }
    pty.Send(burst);
    ASSERT_TRUE(worker.owner.WaitForLines(expected.size(), seconds(10)));
    EXPECT_EQ(worker.owner.Lines(), expected);
    EXPECT_EQ(worker.owner.CallsOffUiThread(), 0);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ReceiveWorkerTest, LineSplitOverTwoReadsIsJoined) {
    SendPartialAndWaitTaken("!TB 96");
    EXPECT_EQ(worker.owner.LineCount(), 1u);
    pty.Send("00\r");
    ASSERT_TRUE(worker.owner.WaitForLines(2, seconds(10)));
    EXPECT_EQ(worker.owner.Lines(), (std::vector<std::string>{kMarker, "!TB 9600"}));
}

TEST_F(ReceiveWorkerTest, LineFeedsAreDroppedAndOverLongLinesCut) {
    pty.Send("\n!PA 192.168.0.10\r\n" + std::string(300, 'x') + "\r\n\r!700\r");
    ASSERT_TRUE(worker.owner.WaitForLines(4, seconds(10)));
    EXPECT_EQ(worker.owner.Lines(),
              (std::vector<std::string>{"!PA 192.168.0.10", std::string(127, 'x'), "", "!700"}));
}

TEST_F(ReceiveWorkerTest, PartialLineSurvivesCloseAndReopen) {
    SendPartialAndWaitTaken("!SC AB");
    worker.CloseLikeOwner();
    ASSERT_EQ(worker.OpenLikeOwner(kPort), 1);
    pty.Send("CD\r");
    ASSERT_TRUE(worker.owner.WaitForLines(2, seconds(10)));
    EXPECT_EQ(worker.owner.Lines(), (std::vector<std::string>{kMarker, "!SC ABCD"}));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ReceiveWorkerTest, StopEndsAWorkerWaitingOnASilentPort) {
    EXPECT_TRUE(worker.Stop());
}

TEST_F(ReceiveWorkerTest, StopEndsAWorkerWaitingWithThePortClosed) {
    worker.CloseLikeOwner();
    EXPECT_TRUE(worker.Stop());
}

TEST_F(ReceiveWorkerTest, StopWhileAHandOffIsPendingEndsTheWorker) {
    worker.handoff.Pause();
    pty.Send("!700\r");
    ASSERT_TRUE(worker.handoff.WaitForPending(seconds(10)));
    EXPECT_TRUE(worker.Stop());
    EXPECT_EQ(worker.owner.LineCount(), 0u);
}

TEST_F(ReceiveWorkerTest, UnpluggedDeviceIsReportedOnceAndTheOwnerCloses) {
    worker.owner.onPortLost = [this] {
        port.portOpen.store(0);
        port.ClosePort();
    };
    pty.Send("!PP 1470\r");
    ASSERT_TRUE(worker.owner.WaitForLines(1, seconds(10)));
    pty.Unplug();
    ASSERT_TRUE(worker.owner.WaitForPortLost(seconds(10)));
    EXPECT_EQ(port.portOpen.load(), 0);
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.owner.PortLostCount(), 1);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Fail to read file:" + std::to_string(EIO));
}

TEST_F(ReceiveWorkerTest, LostPortLeftOpenStaysQuietUntilANewOpen) {
    PtyPort second(tree, 8);
    pty.Unplug();
    ASSERT_TRUE(worker.owner.WaitForPortLost(seconds(10)));
    for (int pass = 0; pass < 3; ++pass) {
        port.Wake();  // each wake is one more pass over the lost port
    }
    worker.CloseLikeOwner();
    ASSERT_EQ(worker.OpenLikeOwner(8), 1);
    second.Send("!700\r");
    ASSERT_TRUE(worker.owner.WaitForLines(1, seconds(10)));
    EXPECT_EQ(worker.owner.PortLostCount(), 1);
    EXPECT_EQ(sink.Count(), 1u);

    second.Unplug();  // a new line can be lost again, and is reported again
    ASSERT_TRUE(WaitUntil([&] { return worker.owner.PortLostCount() == 2; }));
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.owner.PortLostCount(), 2);
    EXPECT_EQ(sink.Count(), 2u);
}

}  // namespace
