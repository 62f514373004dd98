#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "sim/device_model.h"
#include "sim/pty_host.h"
#include "tests/integration/recording_sink.h"
#include "tests/integration/worker_harness.h"
#include "tests/unit/link/temp_tree.h"

namespace {

using std::chrono::seconds;

constexpr int kPort = 11;
const std::vector<std::string> kStored = {"!PA 192.168.0.10", "!PP 1470", "!TB 9600"};

struct FaultCase {
    const char* name;
    DeviceFaults faults;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

DeviceFaults Faults(bool split, bool lf, bool noise) {
    DeviceFaults faults;
    faults.splitAnswers = split;
    faults.lfAfterCr = lf;
    faults.noise = noise;
    return faults;
}

// The real channel and worker against the simulated device on a pseudo-terminal.
class SimulatorExchange : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Start(&error)) << error;
        ASSERT_TRUE(host.LinkAsCom(kPort, tree.Roots().linksDir, &error)) << error;
        ASSERT_EQ(worker.OpenLikeOwner(kPort), 1);
    }
    void Send(const std::string& line) {
        const std::string bytes = line + "\r";
        ASSERT_EQ(port.WritePort(bytes.data(), static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }

    TempTree tree;
    PtyHost host{DeviceModel(kStored, GetParam().faults)};
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
    WorkerHarness worker{port};
};

TEST_P(SimulatorExchange, ListingArrivesLineByLineWhateverTheWireShape) {
    Send("!VS");
    std::vector<std::string> expected = kStored;
    expected.emplace_back("!700");
    ASSERT_TRUE(worker.owner.WaitForLines(expected.size(), seconds(10)));
    EXPECT_EQ(worker.owner.Lines(), expected);
    ASSERT_TRUE(host.WaitForCommands(1, 10000));
    host.WithModel(
        [](DeviceModel& model) { EXPECT_EQ(model.CommandLog(), std::vector<std::string>{"!VS"}); });
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_P(SimulatorExchange, UnplugIsReportedOnce) {
    worker.owner.onPortLost = [this] {
        port.portOpen.store(0);
        port.ClosePort();
    };
    Send("!VS");
    ASSERT_TRUE(worker.owner.WaitForLines(kStored.size() + 1, seconds(10)));
    host.Unplug();
    ASSERT_TRUE(worker.owner.WaitForPortLost(seconds(10)));
    ASSERT_TRUE(worker.Stop());
    EXPECT_EQ(worker.owner.PortLostCount(), 1);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Fail to read file:" + std::to_string(EIO));
    EXPECT_EQ(port.portOpen.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Wire, SimulatorExchange,
                         ::testing::Values(FaultCase{"Plain", Faults(false, false, false)},
                                           FaultCase{"Split", Faults(true, false, false)},
                                           FaultCase{"LfAfterCr", Faults(false, true, false)},
                                           FaultCase{"Noise", Faults(false, false, true)},
                                           FaultCase{"AllAtOnce", Faults(true, true, true)}));

}  // namespace
