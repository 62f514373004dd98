#include "protocol/receive_worker.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/integration/channel_fixture.h"
#include "tests/integration/worker_harness.h"

namespace {

using Lines = std::vector<std::string>;

class ReceiveWorkerTest : public ChannelTest {
protected:
    void SetUp() override { ASSERT_EQ(worker.OpenLikeOwner(kPort), 1); }
    // Sends a complete marker line and `partial` in one write and waits until the worker has
    // taken both from the line: the marker proves the bytes reached the terminal, so that an
    // empty input queue afterwards means the worker read them.
    void SendPartialAndWaitTaken(const std::string& partial) {
        pty.Send(std::string(kMarker) + "\r" + partial);
        ASSERT_TRUE(worker.WaitForLines(1));
        ASSERT_TRUE(WaitUntil([&] { return pty.Unread() == 0; }));
    }
    // The owner closes the port when it is lost, as the window does.
    void CloseWhenLost() {
        worker.onPortLost = [this] {
            port.portOpen.store(0);
            port.ClosePort();
        };
    }

    static constexpr const char* kMarker = "!PP 1470";
    WorkerHarness worker{port};
};

TEST_F(ReceiveWorkerTest, BurstOfLinesArrivesInOrderInsideHandoffs) {
    Lines expected;
    std::string burst;
    for (int i = 0; i < 1000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "!SC %04d", i);
        expected.emplace_back(line);
        burst += std::string(line) + "\r\n";
    }
    pty.Send(burst);
    ASSERT_TRUE(worker.WaitForLines(expected.size()));
    EXPECT_EQ(worker.Lines(), expected);
    EXPECT_EQ(worker.CallsOutsideHandoff(), 0);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(ReceiveWorkerTest, LineSplitOverTwoReadsIsJoined) {
    SendPartialAndWaitTaken("!TB 96");
    EXPECT_EQ(worker.LineCount(), 1u);
    pty.Send("00\r");
    ASSERT_TRUE(worker.WaitForLines(2));
    EXPECT_EQ(worker.Lines(), (Lines{kMarker, "!TB 9600"}));
}

TEST_F(ReceiveWorkerTest, LineFeedsAreDroppedAndOverLongLinesCut) {
    pty.Send("\n!PA 192.168.0.10\r\n" + std::string(300, 'x') + "\r\n\r!700\r");
    ASSERT_TRUE(worker.WaitForLines(4));
    EXPECT_EQ(worker.Lines(), (Lines{"!PA 192.168.0.10", std::string(127, 'x'), "", "!700"}));
}

TEST_F(ReceiveWorkerTest, PartialLineSurvivesCloseAndReopen) {
    SendPartialAndWaitTaken("!SC AB");
    worker.CloseLikeOwner();
    ASSERT_EQ(worker.OpenLikeOwner(kPort), 1);
    pty.Send("CD\r");
    ASSERT_TRUE(worker.WaitForLines(2));
    EXPECT_EQ(worker.Lines(), (Lines{kMarker, "!SC ABCD"}));
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
    worker.Pause();
    pty.Send("!700\r");
    ASSERT_TRUE(worker.WaitForPendingHandoff());
    EXPECT_TRUE(worker.Stop());
    EXPECT_TRUE(worker.Lines().empty());
}

TEST_F(ReceiveWorkerTest, UnpluggedDeviceIsReportedOnceAndTheOwnerCloses) {
    CloseWhenLost();
    pty.Send("!PP 1470\r");
    ASSERT_TRUE(worker.WaitForLines(1));
    pty.Unplug();
    ASSERT_TRUE(worker.WaitForPortLost(1));
    EXPECT_EQ(port.portOpen.load(), 0);
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.PortLostCount(), 1);
    EXPECT_EQ(worker.CallsOutsideHandoff(), 0);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Fail to read file:" + std::to_string(EIO));
}

TEST_F(ReceiveWorkerTest, LostPortLeftOpenStaysQuietUntilANewOpen) {
    PtyPort second(tree, 8);
    pty.Unplug();
    ASSERT_TRUE(worker.WaitForPortLost(1));
    for (int pass = 0; pass < 3; ++pass) {
        port.Wake();  // each wake is one more pass over the lost port
    }
    worker.CloseLikeOwner();
    ASSERT_EQ(worker.OpenLikeOwner(8), 1);
    second.Send("!700\r");
    ASSERT_TRUE(worker.WaitForLines(1));
    EXPECT_EQ(worker.PortLostCount(), 1);
    EXPECT_EQ(sink.Count(), 1u);

    second.Unplug();  // a new line can be lost again, and is reported again
    ASSERT_TRUE(worker.WaitForPortLost(2));
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.PortLostCount(), 2);
    EXPECT_EQ(sink.Count(), 2u);
}

}  // namespace
