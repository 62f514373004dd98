#include "sequence_fixture.h"

namespace {

class EraseScriptTest : public SequenceTest {};

TEST_F(EraseScriptTest, EmptyDeviceShowsThereIsNoScript) {
    Connect();
    ops.OnEraseAllScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), std::vector<std::string>{"!VS"});
    ExpectOnlyMessage(Text(IDS_NO_SCRIPT), MessageIcon::Error);
}

// One pass per listed line, each line 200 ms after the confirmation of the one before; then
// the message and a fresh listing. The log ends with the confirmation of the last erase line
// (logged after the listing cleared the log) and the final listing.
TEST_F(EraseScriptTest, ThreeLinesTakeThreePassesThenListAgain) {
    Connect(kThreeStored);
    ops.OnEraseAllScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), Join({{"!VS"}, ErasePasses(3), {"!VS"}}));
    EXPECT_EQ(SendTimes(), (std::vector<long long>{100, 300, 500, 700, 900, 1100, 1300, 1400}));
    ExpectOnlyMessage(Text(IDS_ALL_DELETED), MessageIcon::Information);
    EXPECT_TRUE(device->StoredLines().empty());
    ASSERT_EQ(host.log.size(), 3u);
    EXPECT_EQ(host.log[0].direction, LOG_RECV);
    EXPECT_EQ(host.log[0].text, "!700");
    EXPECT_EQ(host.log[1].text, "!VS");
    EXPECT_EQ(host.log[2].text, "!700");
}

}  // namespace
