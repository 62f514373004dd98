#include "sequence_fixture.h"

namespace {

class SendEchoTest : public SequenceTest {};

TEST_F(SendEchoTest, EmptyCommandSendsACarriageReturnAndLogsNothing) {
    Connect();
    ops.OnSend();
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].bytes, "\r");
    EXPECT_TRUE(host.log.empty());
}

// The command is kept and sent again; the answers are only logged, the state is not touched.
TEST_F(SendEchoTest, CommandIsKeptAndSentWholeEachTime) {
    Connect({"!PP 5000"});
    host.controls.commandText = "!VS";
    ops.OnSend();
    host.Advance(10);
    ops.OnSend();
    host.Advance(10);
    EXPECT_EQ(host.SentLines(), (std::vector<std::string>{"!VS", "!VS"}));
    EXPECT_EQ(host.controls.commandText, "!VS");
    EXPECT_EQ(host.Texts().hostPortText, "1470");
    EXPECT_EQ(ops.State().opState, Idle);
    EXPECT_EQ(host.log.size(), 6u);

    const std::string longCommand(100, 'x');
    host.controls.commandText = longCommand;
    ops.OnSend();
    EXPECT_EQ(host.writes.back().bytes, longCommand + '\r');
}

struct EchoCase {
    UiLanguage language;
    const char* firstCaption;  // nullptr: the start caption
};

class EchoTest : public ::testing::TestWithParam<EchoCase> {};

TEST_P(EchoTest, TwoPressesSwitchOffThenOnAndRestoreTheCaption) {
    FakeHost host(GetParam().language);
    ScriptOperations ops(host);
    DeviceModel device({}, DeviceFaults{});
    host.Attach(ops, device);
    const std::string off = LoadString(IDS_ECHO_OFF, GetParam().language);
    const std::string on = LoadString(IDS_ECHO_ON, GetParam().language);
    if (GetParam().firstCaption != nullptr) {
        host.echoCaption = GetParam().firstCaption;
    }
    ops.OnEcho();
    EXPECT_EQ(host.SentLines(), std::vector<std::string>{"!E0"});
    EXPECT_EQ(host.echoCaption, on);
    EXPECT_EQ(host.clearCount, 1);
    host.Advance(10);
    ops.OnEcho();
    EXPECT_EQ(host.SentLines(), (std::vector<std::string>{"!E0", "!E1"}));
    EXPECT_EQ(host.writes[1].bytes, "!E1\r");
    EXPECT_EQ(host.echoCaption, off);
    EXPECT_EQ(host.clearCount, 2);
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].text, "!E1");
    host.Advance(10);
    EXPECT_TRUE(device.EchoOn());
}

INSTANTIATE_TEST_SUITE_P(Captions, EchoTest,
                         ::testing::Values(EchoCase{UiLanguage::English, nullptr},
                                           EchoCase{UiLanguage::English, "ECHO OFF"},
                                           EchoCase{UiLanguage::Korean, nullptr}));

TEST_F(SendEchoTest, CaptionNamingNeitherSwitchSendsNothing) {
    Connect();
    host.echoCaption = "Echo";
    ops.OnEcho();
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(host.echoCaption, "Echo");
}

}  // namespace
