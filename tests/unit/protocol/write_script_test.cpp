#include <functional>

#include "protocol/settings_record.h"
#include "sequence_fixture.h"

namespace {

// What the device stores after a write: the setting lines without "!WS ".
Lines Stored(const Lines& writeLines) {
    Lines stored;
    for (const std::string& line : writeLines) {
        stored.push_back(line.substr(4));
    }
    return stored;
}

class WriteScriptTest : public SequenceTest {};

// Each line goes out 200 ms after the confirmation of the one before it.
TEST_F(WriteScriptTest, StartValuesWriteEightLinesPacedByConfirmations) {
    Connect();
    host.SetReplyDelay(30);
    ops.OnWriteScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), Join({{"!VS", UNLOCK_LINE}, kStartValueLines}));
    EXPECT_EQ(SendTimes(),
              (std::vector<long long>{100, 330, 560, 790, 1020, 1250, 1480, 1710, 1940}));
    ExpectOnlyMessage(Text(IDS_ALL_WRITTEN), MessageIcon::Information);
    EXPECT_EQ(device->StoredLines(), Stored(kStartValueLines));
    EXPECT_EQ(ops.State().writeMode, 0);
}

TEST_F(WriteScriptTest, AllFieldsSetEraseThenWriteTwelveLines) {
    Connect(kThreeStored);
    host.SetAddress(AddressField::SecondHost, 0xC0A80002);
    host.controls.intervalText = "30";
    host.controls.timeoutText = "5";
    host.controls.deviceIdText = "AB";
    ops.OnWriteScript();
    host.Advance(kLongWait);
    const Lines written = {"!WS !PA 10.1.0.1", "!WS !PP 1470", "!WS !SA 192.168.0.2",
                           "!WS !SO C 3000",   "!WS !TC 5",    "!WS !SC AB",
                           "!WS !TB 115200",   "!WS !TP 0",    "!WS !TD 8",
                           "!WS !TS 1",        "!WS !FC 0"};
    EXPECT_EQ(host.SentLines(), Join({{"!VS"}, ErasePasses(3), {UNLOCK_LINE}, written}));
    EXPECT_EQ(device->StoredLines(), Stored(written));
    ExpectOnlyMessage(Text(IDS_ALL_WRITTEN), MessageIcon::Information);
}

TEST_F(WriteScriptTest, SelectionsAndIntervalTextMapToTheirNumbers) {
    Connect();
    host.controls.intervalText = "abc";
    host.SetSelection(SettingCombo::BaudRate, 4);
    host.SetSelection(SettingCombo::Parity, 2);
    host.SetSelection(SettingCombo::DataBits, 0);
    host.SetSelection(SettingCombo::StopBits, 1);
    host.SetSelection(SettingCombo::FlowControl, 1);
    ops.OnWriteScript();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(),
              (Lines{"!VS", UNLOCK_LINE, "!WS !PA 10.1.0.1", "!WS !PP 1470", "!WS !SO C 0",
                     "!WS !TB 9600", "!WS !TP 2", "!WS !TD 7", "!WS !TS 2", "!WS !FC 1"}));
}

struct RefusalCase {
    const char* name;
    std::function<void(FakeHost&)> set;
    std::string message;
};

class WriteRefusalTest : public WriteScriptTest,
                         public ::testing::WithParamInterface<RefusalCase> {};

// Fields that cannot be written are refused before the device is listed or erased.
TEST_P(WriteRefusalTest, NothingIsErasedOrSent) {
    Connect(kThreeStored);
    GetParam().set(host);
    ops.OnWriteScript();
    host.Advance(kLongWait);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(device->StoredLines(), kThreeStored);
    ExpectOnlyMessage(GetParam().message, MessageIcon::Error);
    EXPECT_EQ(ops.State().writeMode, 0);
}

std::string TooLong(const char* caption) {
    return "The value of '" + std::string(caption) + "' is too long to write to the device.";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, WriteRefusalTest,
    ::testing::Values(
        RefusalCase{"LongHostPort",
                    [](FakeHost& h) { h.controls.hostPortText = std::string(31, '1'); },
                    TooLong("Host Port")},
        RefusalCase{"LongTimeout",
                    [](FakeHost& h) { h.controls.timeoutText = std::string(31, '1'); },
                    TooLong("Timeout (second)")},
        RefusalCase{"HugeInterval", [](FakeHost& h) { h.controls.intervalText = "99999999"; },
                    TooLong("Check TCP connection interval (second)")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteScriptTest, IdRefusedByTheExchangeStartsNothing) {
    Connect(kThreeStored);
    host.controls.deviceIdText = "123456789";
    ops.OnWriteScript();
    host.Advance(kLongWait);
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(host.clearCount, 0);
    EXPECT_TRUE(host.messages.empty());
}

// The checks run again before writing: the address may be blanked while the erase runs.
TEST_F(WriteScriptTest, HostAddressBlankedDuringEraseStopsBeforeWriting) {
    Connect(kThreeStored);
    ops.OnWriteScript();
    host.Advance(100);
    host.SetAddress(AddressField::Host, 0);
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), Join({{"!VS"}, ErasePasses(3)}));
    ExpectOnlyMessage(Text(IDS_ENTER_HOST_ADDRESS), MessageIcon::Error);
    EXPECT_EQ(ops.State().writeMode, 0);
}

// Text typed while the write runs is taken over at each step; a line that no longer fits
// stops the write instead of being cut.
TEST_F(WriteScriptTest, ValueTooLongAtItsStepStopsTheWrite) {
    Connect();
    ops.OnWriteScript();
    host.Advance(650);  // "!WS !PA" went out at 500 and is confirmed; "!WS !PP" is due at 700
    host.controls.hostPortText = std::string(31, '1');
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), (Lines{"!VS", UNLOCK_LINE, "!WS !PA 10.1.0.1"}));
    ExpectOnlyMessage(TooLong("Host Port"), MessageIcon::Error);
    EXPECT_EQ(ops.State().opState, Idle);
    // A later View Script fills the fields again: the stopped write left writeMode at 0.
    (void)device->Receive("!UE 3D9F1B62\r!WS !PA 1.1.1.1\r");  // stored from elsewhere
    ops.OnViewScript();
    host.Advance(kLongWait);
    EXPECT_EQ(FormatDotted(host.GetAddress(AddressField::Host)), "1.1.1.1");
}

TEST_F(WriteScriptTest, BaudRateChosenBeforeItsStepIsWritten) {
    Connect();
    ops.OnWriteScript();
    host.Advance(800);  // step 7 is due at 900
    host.SetSelection(SettingCombo::BaudRate, 4);
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines().at(4), "!WS !TB 9600");
}

}  // namespace
