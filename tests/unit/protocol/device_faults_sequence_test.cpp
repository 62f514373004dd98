// View, Write and Erase All against a device that is silent, echoes or refuses one step.
#include <ostream>

#include "protocol/settings_record.h"
#include "sequence_fixture.h"

namespace {

const Lines kTwoStored = {"!PA 192.168.0.10", "!PP 5000"};

DeviceFaults With(bool DeviceFaults::*knob) {
    DeviceFaults faults;
    faults.*knob = true;
    return faults;
}
DeviceFaults WrongAnswerAt(int command) {
    DeviceFaults faults;
    faults.wrongAnswerAt = command;
    return faults;
}

struct FaultCase {
    const char* name;
    void (ScriptOperations::*press)();
    Lines stored;
    DeviceFaults faults;
    Lines sent;
    int message;  // the one message box's string id; 0 for none
    int opState;
    size_t storedAfter;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class DeviceFaultSequence : public SequenceTest, public ::testing::WithParamInterface<FaultCase> {};

// The echoed "!VS" is counted as a listed line and costs one more erase pass; every echoed
// command is accepted as a reply on the way. A refusal stops with one error message and
// nothing more is sent, however long one waits; a silent device is waited for without end.
TEST_P(DeviceFaultSequence, SendsWhatTheDeviceAnswersAllowAndShowsAtMostOneMessage) {
    const FaultCase& c = GetParam();
    Connect(c.stored, c.faults);
    (ops.*c.press)();
    host.Advance(kLongWait);
    EXPECT_EQ(host.SentLines(), c.sent);
    if (c.message == 0) {
        EXPECT_TRUE(host.messages.empty());
    } else {
        ExpectOnlyMessage(Text(c.message), c.message == IDS_RS232_ERROR ? MessageIcon::Error
                                                                        : MessageIcon::Information);
    }
    EXPECT_EQ(ops.State().opState, c.opState);
    EXPECT_EQ(device->StoredLines().size(), c.storedAfter);
    if (c.opState != Failed) {
        return;
    }
    // A later View Script fills the fields again: the stopped write left writeMode at 0.
    (void)device->Receive("!UE 3D9F1B62\r!WS !PA 1.1.1.1\r");  // stored from elsewhere
    ops.OnViewScript();
    host.Advance(kLongWait);
    EXPECT_EQ(FormatDotted(host.GetAddress(AddressField::Host)), "1.1.1.1");
}

const DeviceFaults kSilent = With(&DeviceFaults::silent);
const DeviceFaults kEcho = With(&DeviceFaults::echoOn);
const auto kView = &ScriptOperations::OnViewScript;
const auto kWrite = &ScriptOperations::OnWriteScript;
const auto kErase = &ScriptOperations::OnEraseAllScript;

INSTANTIATE_TEST_SUITE_P(
    Faults, DeviceFaultSequence,
    ::testing::Values(
        FaultCase{"SilentView", kView, kThreeStored, kSilent, Lines{"!VS"}, 0, Listing, 3},
        FaultCase{"SilentWrite", kWrite, kThreeStored, kSilent, Lines{"!VS"}, 0, Listing, 3},
        FaultCase{"SilentErase", kErase, kThreeStored, kSilent, Lines{"!VS"}, 0, Listing, 3},
        FaultCase{"EchoWrite", kWrite, kTwoStored, kEcho,
                  Join({{"!VS"}, ErasePasses(3), {UNLOCK_LINE}, kStartValueLines}), IDS_ALL_WRITTEN,
                  Idle, kStartValueLines.size()},
        FaultCase{"EchoErase", kErase, kTwoStored, kEcho, Join({{"!VS"}, ErasePasses(3), {"!VS"}}),
                  IDS_ALL_DELETED, Idle, 0},
        FaultCase{"WriteRefusedAtUnlock", kWrite, Lines{}, WrongAnswerAt(1),
                  Lines{"!VS", UNLOCK_LINE}, IDS_RS232_ERROR, Failed, 0},
        FaultCase{"WriteRefusedMidErase", kWrite, kThreeStored, WrongAnswerAt(2),
                  Join({{"!VS"}, ErasePasses(1)}), IDS_RS232_ERROR, Failed, 3},
        FaultCase{"WriteRefusedMidWrite", kWrite, Lines{}, WrongAnswerAt(3),
                  Lines{"!VS", UNLOCK_LINE, "!WS !PA 10.1.0.1", "!WS !PP 1470"}, IDS_RS232_ERROR,
                  Failed, 1},
        FaultCase{"EraseRefusedMidErase", kErase, kThreeStored, WrongAnswerAt(4),
                  Join({{"!VS"}, ErasePasses(2)}), IDS_RS232_ERROR, Failed, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
