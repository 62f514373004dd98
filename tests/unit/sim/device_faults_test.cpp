#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/demo_script.h"
#include "sim/device_model.h"
#include "wire_lines.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kStored = {"!PA 10.1.0.1", "!SO C 3000", "!TB 115200"};

// Every command of a write pass, for faults that must not change what the lines say.
const char* const kSession[] = {"!VS", "!UE 3D9F1B62", "!ES", "!UE 3D9F1B62", "!WS !PP 1470",
                                "!E1", "!VS",          "!E0", "XYZ"};

std::string RunSession(DeviceModel& device) {
    std::string out;
    for (const char* line : kSession) {
        out += device.Receive(std::string(line) + "\r");
    }
    return out;
}

TEST(DeviceFaults, SilentDeviceAnswersNothingButHearsEverything) {
    DeviceFaults faults;
    faults.silent = true;
    faults.echoOn = true;
    DeviceModel device(kStored, faults);
    EXPECT_EQ(RunSession(device), "");
    EXPECT_EQ(device.CommandLog().size(), std::size(kSession));
}

TEST(DeviceFaults, WrongAnswerRefusesOnlyTheChosenCommandAndCarriesItNotOut) {
    DeviceFaults faults;
    faults.wrongAnswerAt = 2;  // the "!ES" after the unlock
    DeviceModel device(kStored, faults);
    EXPECT_EQ(WireLines(device.Receive("!VS\r")).back(), "!700");
    EXPECT_EQ(WireLines(device.Receive("!UE 3D9F1B62\r")), Lines{"!700"});
    const Lines wrong = WireLines(device.Receive("!ES\r"));
    ASSERT_EQ(wrong.size(), 1u);
    EXPECT_TRUE(IsRefusal(wrong[0]));
    EXPECT_EQ(device.StoredLines(), kStored);
    EXPECT_EQ(WireLines(device.Receive("!UE 3D9F1B62\r!ES\r")), (Lines{"!700", "!700"}));
    EXPECT_EQ(device.StoredLines().size(), kStored.size() - 1);
}

TEST(DeviceFaults, FramingFaultsChangeNoLine) {
    DeviceModel clean(kStored);
    const Lines expected = WireLines(RunSession(clean));
    ASSERT_FALSE(expected.empty());

    DeviceFaults crlf;
    crlf.lfAfterCr = true;
    DeviceModel crlfDevice(kStored, crlf);
    const std::string crlfOut = RunSession(crlfDevice);
    EXPECT_EQ(WireLines(crlfOut), expected);
    size_t crCount = 0;
    for (size_t i = 0; i < crlfOut.size(); ++i) {
        if (crlfOut[i] == '\r') {
            ++crCount;
            ASSERT_LT(i + 1, crlfOut.size());
            EXPECT_EQ(crlfOut[i + 1], '\n');
        }
    }
    EXPECT_EQ(crCount, expected.size());

    DeviceFaults noise;
    noise.noise = true;
    DeviceModel noisyDevice(kStored, noise);
    const std::string noisy = RunSession(noisyDevice);
    EXPECT_EQ(WireLines(noisy), expected);
    EXPECT_NE(noisy.find("!7\n00\r"), std::string::npos);
    EXPECT_EQ(std::count(noisy.begin(), noisy.end(), '\r'), std::ptrdiff_t(expected.size()));
}

TEST(DeviceFaults, LowerCaseCodesListTheStoredLinesInLowerCase) {
    DeviceFaults faults;
    faults.lowerCaseCodes = true;
    DeviceModel device(DemoScript(), faults);
    const Lines listed = WireLines(device.Receive("!VS\r"));
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
        const Lines listed = WireLines(device.Receive("!VS\r"));
        ASSERT_EQ(listed.size(), kStored.size() + 2);
        EXPECT_EQ(listed[0].size(), 300u);
        EXPECT_TRUE(IsRefusal(listed[0]));
        EXPECT_EQ(Lines(listed.begin() + 1, listed.end() - 1), kStored);
        EXPECT_EQ(listed.back(), "!700");
    }
    EXPECT_EQ(WireLines(device.Receive("!E0\r")), Lines{"!700"});
}

TEST(DeviceFaults, EchoOnAtStartCanBeSwitchedOff) {
    DeviceFaults faults;
    faults.echoOn = true;
    DeviceModel device({}, faults);
    EXPECT_TRUE(device.EchoOn());
    EXPECT_EQ(WireLines(device.Receive("!VS\r")), (Lines{"!VS", "!700"}));
    EXPECT_EQ(WireLines(device.Receive("!E0\r")), (Lines{"!E0", "!700"}));
    EXPECT_EQ(WireLines(device.Receive("!VS\r")), Lines{"!700"});
}

TEST(DeviceFaults, KnobsCanChangeWhileServing) {
    DeviceModel device(kStored);
    EXPECT_FALSE(device.Receive("!VS\r").empty());
    device.Faults().silent = true;
    EXPECT_EQ(device.Receive("!VS\r"), "");
    device.Faults().silent = false;
    device.Faults().lfAfterCr = true;
    EXPECT_EQ(device.Receive("!E0\r"), "!700\r\n");
}

}  // namespace
