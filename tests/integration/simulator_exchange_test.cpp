#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/device_model.h"
#include "sim/pty_host.h"
#include "tests/integration/channel_fixture.h"
#include "tests/integration/worker_harness.h"

namespace {

constexpr int kPort = 11;
const std::vector<std::string> kStored = {"!PA 192.168.0.10", "!PP 1470", "!TB 9600"};

DeviceFaults Faults(bool split, bool lf, bool noise) {
    DeviceFaults faults;
    faults.splitAnswers = split;
    faults.lfAfterCr = lf;
    faults.noise = noise;
    return faults;
}

class SimulatorExchange : public ::testing::TestWithParam<DeviceFaults> {};

// The real channel and worker against the simulated device on a pseudo-terminal, its
// answers held back a little.
TEST_P(SimulatorExchange, ListingArrivesLineByLineWhateverTheWireShape) {
    TempTree tree;
    PtyHost host{DeviceModel(kStored, GetParam())};
    host.SetAnswerDelay(30);
    std::string error;
    ASSERT_TRUE(host.Start(&error)) << error;
    ASSERT_TRUE(host.LinkAsCom(kPort, tree.Roots().linksDir, &error)) << error;
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
    WorkerHarness worker{port};
    ASSERT_EQ(worker.OpenLikeOwner(kPort), 1);

    ASSERT_EQ(port.WritePort("!VS\r", 4), 4);
    std::vector<std::string> expected = kStored;
    expected.emplace_back("!700");
    ASSERT_TRUE(worker.WaitForLines(expected.size()));
    EXPECT_EQ(worker.Lines(), expected);
    ASSERT_TRUE(host.WaitForCommands(1, 10000));
    host.WithModel(
        [](DeviceModel& model) { EXPECT_EQ(model.CommandLog(), std::vector<std::string>{"!VS"}); });
    EXPECT_EQ(sink.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Wire, SimulatorExchange,
                         ::testing::Values(Faults(false, false, false), Faults(true, false, false),
                                           Faults(false, true, false), Faults(false, false, true),
                                           Faults(true, true, true)),
                         [](const ::testing::TestParamInfo<DeviceFaults>& info) {
                             const DeviceFaults& f = info.param;
                             const std::string name = std::string(f.splitAnswers ? "Split" : "") +
                                                      (f.lfAfterCr ? "LfAfterCr" : "") +
                                                      (f.noise ? "Noise" : "");
                             return name.empty() ? std::string("Plain") : name;
                         });

}  // namespace
