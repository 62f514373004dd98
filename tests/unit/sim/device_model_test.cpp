#include "sim/device_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wire_lines.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kStored = {"!PA 10.1.0.1", "!PP 1470", "!TB 115200"};

Lines Ask(DeviceModel& device, const std::string& line) {
    return WireLines(device.Receive(line + "\r"));
}

TEST(DeviceModelListing, ListsEveryStoredLineThenConfirms) {
    DeviceModel device(kStored);
    const std::string out = device.Receive("!VS\r");
    EXPECT_EQ(out, "!PA 10.1.0.1\r!PP 1470\r!TB 115200\r!700\r");
    DeviceModel empty;
    EXPECT_EQ(Ask(empty, "!VS"), Lines{"!700"});
}

TEST(DeviceModelListing, TakesLinesAsTheyComeAcrossReads) {
    DeviceModel device(kStored);
    EXPECT_EQ(device.Receive("\n!V"), "");
    EXPECT_EQ(WireLines(device.Receive("S\r\n")),
              (Lines{"!PA 10.1.0.1", "!PP 1470", "!TB 115200", "!700"}));
    const Lines answers = WireLines(device.Receive("!E0\r!V\nS\r!XX\r"));
    ASSERT_EQ(answers.size(), 6u);
    EXPECT_EQ(answers[0], "!700");
    EXPECT_EQ(answers[4], "!700");
    EXPECT_TRUE(IsRefusal(answers[5]));
    EXPECT_EQ(device.CommandLog(), (Lines{"!VS", "!E0", "!VS", "!XX"}));
}

TEST(DeviceModelUnlock, RightCodeUnlocksWritingAcrossConsecutiveLines) {
    DeviceModel device;
    EXPECT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    for (const char* line :
         {"!WS !PA 192.168.0.2", "!WS !PP 1470", "!WS !SO C 3000", "!WS !SC AB", "!WS !FC 1"}) {
        EXPECT_EQ(Ask(device, line), Lines{"!700"}) << line;
    }
    EXPECT_EQ(device.StoredLines(),
              (Lines{"!PA 192.168.0.2", "!PP 1470", "!SO C 3000", "!SC AB", "!FC 1"}));
}

TEST(DeviceModelUnlock, WriteReplacesTheLineOfTheSameSetting) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    ASSERT_EQ(Ask(device, "!WS !PP 2000"), Lines{"!700"});
    ASSERT_EQ(Ask(device, "!WS !TD 7"), Lines{"!700"});
    EXPECT_EQ(device.StoredLines(), (Lines{"!PA 10.1.0.1", "!PP 2000", "!TB 115200", "!TD 7"}));
}

TEST(DeviceModelUnlock, LockedOrWrongCodeRefusesAndKeepsTheScript) {
    DeviceModel device(kStored);
    const Lines locked = Ask(device, "!WS !PP 2000");
    ASSERT_EQ(locked.size(), 1u);
    EXPECT_TRUE(IsRefusal(locked[0]));
    EXPECT_TRUE(IsRefusal(Ask(device, "!ES").at(0)));
    EXPECT_TRUE(IsRefusal(Ask(device, "!UE 3D9F1B63").at(0)));
    EXPECT_TRUE(IsRefusal(Ask(device, "!UE 3d9f1b62").at(0)));
    EXPECT_TRUE(IsRefusal(Ask(device, "!WS !PP 2000").at(0)));
    EXPECT_EQ(device.StoredLines(), kStored);
}

TEST(DeviceModelUnlock, ListingOrRefusalEndsTheUnlock) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    Ask(device, "!VS");
    EXPECT_TRUE(IsRefusal(Ask(device, "!ES").at(0)));

    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    EXPECT_TRUE(IsRefusal(Ask(device, "!XX").at(0)));
    EXPECT_TRUE(IsRefusal(Ask(device, "!WS !PP 2000").at(0)));

    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!E0"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!WS !PP 2000"), Lines{"!700"});
}

TEST(DeviceModelErase, EachEraseRemovesTheFirstStoredLine) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    EXPECT_EQ(device.StoredLines(), (Lines{"!PP 1470", "!TB 115200"}));
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    EXPECT_TRUE(device.StoredLines().empty());
    // One pass more than there are lines (an echoed "!VS" is listed too) is still confirmed.
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!VS"), Lines{"!700"});
}

class DeviceModelRefusal : public testing::TestWithParam<const char*> {};

TEST_P(DeviceModelRefusal, RefusesAndLocks) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, "!UE 3D9F1B62"), Lines{"!700"});
    const Lines answer = Ask(device, GetParam());
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(IsRefusal(answer[0])) << answer[0];
    EXPECT_EQ(device.StoredLines(), kStored);
    EXPECT_TRUE(IsRefusal(Ask(device, "!ES").at(0)));
}

INSTANTIATE_TEST_SUITE_P(MalformedOrUnknown, DeviceModelRefusal,
                         testing::Values("", " ", "!VS ", "!vs", "!ES 1", "!E2", "HELLO", "!WS",
                                         "!WS ", "!WS !PP", "!WS !PP ", "!WS !PP  1470",
                                         "!WS !pp 1470", "!WS !XX 1", "!WS PP 1470", "!WS !SO 3000",
                                         "!WS !SO c 3000", "!WS !SO C", "!WS !SO C 30x",
                                         "!WS !SO C -", "!WS !SC A\tB"));

TEST(DeviceModelEcho, EchoRepeatsEveryLineBeforeItsAnswer) {
    DeviceModel device({"!PP 1470"});
    EXPECT_FALSE(device.EchoOn());
    EXPECT_EQ(Ask(device, "!E0"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!E1"), Lines{"!700"});
    EXPECT_TRUE(device.EchoOn());
    EXPECT_EQ(Ask(device, "!VS"), (Lines{"!VS", "!PP 1470", "!700"}));
    const Lines refused = Ask(device, "");
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0], "");
    EXPECT_TRUE(IsRefusal(refused[1]));
    EXPECT_EQ(Ask(device, "!E0"), (Lines{"!E0", "!700"}));
    EXPECT_FALSE(device.EchoOn());
    EXPECT_EQ(Ask(device, "!VS"), (Lines{"!PP 1470", "!700"}));
}

TEST(DeviceModelInput, OverLongCommandIsCutRefusedAndLogged) {
    DeviceModel device(kStored);
    const std::string flood(100000, 'A');
    const Lines answer = WireLines(device.Receive(flood + "\r"));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(IsRefusal(answer[0]));
    ASSERT_EQ(device.CommandLog().size(), 1u);
    EXPECT_EQ(device.CommandLog()[0], flood.substr(0, device.CommandLog()[0].size()));
    EXPECT_LT(device.CommandLog()[0].size(), 1000u);
    EXPECT_EQ(Ask(device, "!VS").back(), "!700");
}

}  // namespace
