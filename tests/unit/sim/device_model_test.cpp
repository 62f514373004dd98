#include "sim/device_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/demo_script.h"
#include "wire_lines.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kStored = {"!PA 10.1.0.1", "!PP 1470", "!TB 115200"};
const char* const kUnlock = "!UE 3D9F1B62";

Lines Ask(DeviceModel& device, const std::string& line) {
    return WireLines(device.Receive(line + "\r"));
}

TEST(DeviceModel, ListsTheStoredLinesThenConfirmsTakingCommandsAcrossReads) {
    DeviceModel device(kStored);
    EXPECT_EQ(device.Receive("\n!V"), "");
    EXPECT_EQ(device.Receive("S\r\n"), "!PA 10.1.0.1\r!PP 1470\r!TB 115200\r!700\r");
    const Lines answers = WireLines(device.Receive("!E0\r!V\nS\r!XX\r"));
    ASSERT_EQ(answers.size(), 6u);
    EXPECT_EQ(answers[0], "!700");
    EXPECT_EQ(answers[4], "!700");
    EXPECT_TRUE(IsRefusal(answers[5]));
    EXPECT_EQ(device.CommandLog(), (Lines{"!VS", "!E0", "!VS", "!XX"}));
    DeviceModel empty;
    EXPECT_EQ(Ask(empty, "!VS"), Lines{"!700"});
}

TEST(DeviceModel, UnlockedDeviceStoresReplacesAndErasesTheFirstLine) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, kUnlock), Lines{"!700"});
    for (const char* line : {"!WS !PP 2000", "!WS !TD 7", "!WS !SO C 3000", "!WS !SC AB"}) {
        EXPECT_EQ(Ask(device, line), Lines{"!700"}) << line;
    }
    EXPECT_EQ(device.StoredLines(),
              (Lines{"!PA 10.1.0.1", "!PP 2000", "!TB 115200", "!TD 7", "!SO C 3000", "!SC AB"}));
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    EXPECT_EQ(device.StoredLines().front(), "!PP 2000");
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
    }
    EXPECT_TRUE(device.StoredLines().empty());
    // One pass more than there are lines (an echoed "!VS" is listed too) is still confirmed.
    EXPECT_EQ(Ask(device, "!ES"), Lines{"!700"});
}

TEST(DeviceModel, LockedWrongCodeListingOrRefusalKeepTheScript) {
    DeviceModel device(kStored);
    for (const char* line : {"!WS !PP 2000", "!ES", "!UE 3D9F1B63", "!UE 3d9f1b62", "!ES"}) {
        const Lines answer = Ask(device, line);
        ASSERT_EQ(answer.size(), 1u) << line;
        EXPECT_TRUE(IsRefusal(answer[0])) << line;
    }
    // A listing or a refusal ends the unlock; switching echo does not.
    ASSERT_EQ(Ask(device, kUnlock), Lines{"!700"});
    Ask(device, "!VS");
    EXPECT_TRUE(IsRefusal(Ask(device, "!ES").at(0)));
    ASSERT_EQ(Ask(device, kUnlock), Lines{"!700"});
    EXPECT_TRUE(IsRefusal(Ask(device, "!XX").at(0)));
    EXPECT_TRUE(IsRefusal(Ask(device, "!WS !PP 2000").at(0)));
    EXPECT_EQ(device.StoredLines(), kStored);
    ASSERT_EQ(Ask(device, kUnlock), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!E0"), Lines{"!700"});
    EXPECT_EQ(Ask(device, "!WS !PP 2000"), Lines{"!700"});
}

class DeviceModelRefusal : public testing::TestWithParam<const char*> {};

TEST_P(DeviceModelRefusal, RefusesAndLocks) {
    DeviceModel device(kStored);
    ASSERT_EQ(Ask(device, kUnlock), Lines{"!700"});
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

TEST(DeviceModel, EchoRepeatsEveryLineBeforeItsAnswerUntilSwitchedOffOrSilenced) {
    DeviceFaults faults;
    faults.echoOn = true;
    DeviceModel device({"!PP 1470"}, faults);
    EXPECT_EQ(Ask(device, "!VS"), (Lines{"!VS", "!PP 1470", "!700"}));
    const Lines refused = Ask(device, "");
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0], "");
    EXPECT_TRUE(IsRefusal(refused[1]));
    EXPECT_EQ(Ask(device, "!E0"), (Lines{"!E0", "!700"}));
    EXPECT_FALSE(device.EchoOn());
    EXPECT_EQ(Ask(device, "!VS"), (Lines{"!PP 1470", "!700"}));
    EXPECT_EQ(Ask(device, "!E1"), Lines{"!700"});
    EXPECT_TRUE(device.EchoOn());
    // Made silent while serving, it hears every line and says nothing, not even the echo.
    device.Faults().silent = true;
    EXPECT_EQ(device.Receive("!VS\r!E0\r"), "");
    EXPECT_EQ(device.CommandLog().size(), 7u);
    EXPECT_TRUE(device.EchoOn());
}

TEST(DeviceModel, OverLongCommandIsCutRefusedAndLogged) {
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

// Every command of a write pass, for faults that must not change what the lines say.
std::string RunSession(DeviceModel& device) {
    std::string out;
    for (const char* line :
         {"!VS", kUnlock, "!ES", kUnlock, "!WS !PP 1470", "!E1", "!VS", "!E0", "XYZ"}) {
        out += device.Receive(std::string(line) + "\r");
    }
    return out;
}

TEST(DeviceFaults, FramingFaultsChangeNoLine) {
    DeviceModel clean(kStored);
    const Lines expected = WireLines(RunSession(clean));
    ASSERT_EQ(expected.size(), 16u);
    const auto count = [](const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    };

    DeviceFaults crlf;
    crlf.lfAfterCr = true;
    DeviceModel crlfDevice(kStored, crlf);
    const std::string crlfOut = RunSession(crlfDevice);
    EXPECT_EQ(WireLines(crlfOut), expected);
    EXPECT_EQ(count(crlfOut, "\r\n"), expected.size());
    EXPECT_EQ(count(crlfOut, "\r"), expected.size());

    DeviceFaults noise;
    noise.noise = true;
    DeviceModel noisyDevice(kStored, noise);
    const std::string noisy = RunSession(noisyDevice);
    EXPECT_EQ(WireLines(noisy), expected);
    EXPECT_NE(noisy.find("!7\n00\r"), std::string::npos);
    EXPECT_EQ(count(noisy, "\r"), expected.size());
}

TEST(DeviceFaults, LowerCaseCodesListTheStoredLinesInLowerCase) {
    DeviceFaults faults;
    faults.lowerCaseCodes = true;
    DeviceModel device(DemoScript(), faults);
    const Lines listed = Ask(device, "!VS");
    ASSERT_EQ(listed.size(), 12u);
    EXPECT_EQ(listed[0], "!pa 10.1.0.1");
    EXPECT_EQ(listed[3], "!so c 3000");
    EXPECT_EQ(listed[5], "!sc QBX01");  // the value keeps its case
    EXPECT_EQ(listed[11], "!700");
    EXPECT_EQ(device.StoredLines(), DemoScript());
}

TEST(DeviceFaults, OverLongLineLeadsEveryListing) {
    DeviceFaults faults;
    faults.overLongLines = true;
    DeviceModel device(kStored, faults);
    for (int listing = 0; listing < 2; ++listing) {
        const Lines listed = Ask(device, "!VS");
        ASSERT_EQ(listed.size(), kStored.size() + 2);
        EXPECT_EQ(listed[0].size(), 300u);
        EXPECT_TRUE(IsRefusal(listed[0]));
        EXPECT_EQ(Lines(listed.begin() + 1, listed.end() - 1), kStored);
        EXPECT_EQ(listed.back(), "!700");
    }
    EXPECT_EQ(Ask(device, "!E0"), Lines{"!700"});
}

}  // namespace
