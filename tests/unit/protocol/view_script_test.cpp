#include "protocol/settings_record.h"
#include "sequence_fixture.h"

namespace {

const std::vector<std::string> kStored = {"!PA 192.168.0.10", "!PP 5000", "!SO C 3050",
                                          "!TB 9600",         "!TP 2",    "!SC AB"};

void ExpectStoredValuesShown(FakeHost& host) {
    EXPECT_EQ(FormatDotted(host.GetAddress(AddressField::Host)), "192.168.0.10");
    EXPECT_EQ(host.Texts().hostPortText, "5000");
    EXPECT_EQ(host.Texts().intervalText, "30");
    EXPECT_EQ(host.Texts().deviceIdText, "AB");
    EXPECT_EQ(host.GetSelection(SettingCombo::BaudRate), 4);
    EXPECT_EQ(host.GetSelection(SettingCombo::Parity), 2);
    // A log row shows the fields in the controls.
    EXPECT_EQ(host.controls.hostPortText, "5000");
}

class ViewScriptTest : public SequenceTest {};

TEST_F(ViewScriptTest, ClearsLogSendsListingAfter100msAndFillsFields) {
    Connect(kStored);
    ops.OnViewScript();
    EXPECT_EQ(host.clearCount, 1);
    host.Advance(99);
    EXPECT_TRUE(host.writes.empty());
    host.Advance(1);
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].bytes, "!VS\r");
    EXPECT_EQ(host.writes[0].at, 100);
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log[0].direction, LOG_SEND);
    EXPECT_EQ(host.log.back().text, "!700");
    EXPECT_EQ(host.log.size(), kStored.size() + 2);
    ExpectStoredValuesShown(host);
    EXPECT_EQ(ops.State().listedLineCount, 6);
    EXPECT_EQ(ops.State().opState, Idle);
    EXPECT_TRUE(host.messages.empty());
}

// The line faults of the wire change nothing of what a listing fills.
class ViewThroughFaultsTest : public ViewScriptTest,
                              public ::testing::WithParamInterface<bool DeviceFaults::*> {};

TEST_P(ViewThroughFaultsTest, FillsTheSameFields) {
    DeviceFaults faults;
    faults.*GetParam() = true;
    Connect(kStored, faults);
    ops.OnViewScript();
    host.Advance(100);
    ExpectStoredValuesShown(host);
    EXPECT_EQ(ops.State().opState, Idle);
}

INSTANTIATE_TEST_SUITE_P(Wire, ViewThroughFaultsTest,
                         ::testing::Values(&DeviceFaults::lfAfterCr, &DeviceFaults::splitAnswers,
                                           &DeviceFaults::noise, &DeviceFaults::lowerCaseCodes,
                                           &DeviceFaults::echoOn, &DeviceFaults::overLongLines));

TEST_F(ViewScriptTest, EmptyDeviceLeavesFieldsAndShowsNothing) {
    Connect();
    ops.OnViewScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), std::vector<std::string>{"!VS"});
    EXPECT_EQ(host.Texts().hostPortText, "1470");
    EXPECT_EQ(FormatDotted(host.GetAddress(AddressField::Host)), "10.1.0.1");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ViewScriptTest, TwoPressesWithin100msSendOneListing) {
    Connect(kStored);
    ops.OnViewScript();
    host.Advance(50);
    ops.OnViewScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), std::vector<std::string>{"!VS"});
    EXPECT_EQ(SendTimes(), std::vector<long long>{150});
}

// The count restarts at the second press; the first "!700" after it ends the listing and the
// second listing's lines are only logged.
TEST_F(ViewScriptTest, SecondPressWhileAnswerIsUnderWayRestartsTheCount) {
    Connect(kStored);
    host.SetReplyDelay(200);
    ops.OnViewScript();
    host.Advance(150);
    ops.OnViewScript();
    host.Advance(150);  // the second "!VS" is out, then the first answer arrives
    EXPECT_EQ(ops.State().listedLineCount, 6);
    EXPECT_EQ(ops.State().opState, Idle);
    host.Texts().hostPortText = "typed";
    host.Advance(kLongWait);
    EXPECT_EQ(SendTimes(), (std::vector<long long>{100, 250}));
    EXPECT_EQ(host.Texts().hostPortText, "typed");
    EXPECT_EQ(ops.State().listedLineCount, 6);
}

TEST_F(ViewScriptTest, ClosedPortDoesNothing) {
    Connect(kStored);
    host.portOpen = false;
    ops.OnViewScript();
    ops.OnWriteScript();
    ops.OnEraseAllScript();
    ops.OnSend();
    ops.OnEcho();
    host.Advance(kLongWait);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(host.clearCount, 0);
    EXPECT_EQ(host.echoCaption, Text(IDS_ECHO_OFF));
    EXPECT_EQ(ops.State().writeMode, 0);
}

}  // namespace
