#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_host.h"
#include "protocol/script_operations.h"
#include "sim/device_model.h"

// The operations of one dialog against a simulated device, on a fake clock.
class SequenceTest : public ::testing::Test {
protected:
    void Connect(std::vector<std::string> stored = {}, DeviceFaults faults = {}) {
        device = std::make_unique<DeviceModel>(std::move(stored), faults);
        host.Attach(ops, *device);
    }

    std::vector<long long> SendTimes() const {
        std::vector<long long> times;
        for (const FakeHost::Write& write : host.writes) {
            times.push_back(write.at);
        }
        return times;
    }

    // Exactly one message box was shown, with this text and icon.
    void ExpectOnlyMessage(const std::string& text, MessageIcon icon) const {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text);
        EXPECT_EQ(host.messages[0].icon, icon);
    }

    static std::string Text(int id) { return LoadString(id, UiLanguage::English); }

    FakeHost host;
    ScriptOperations ops{host};
    std::unique_ptr<DeviceModel> device;
};

// An hour of fake time: longer than any sequence needs.
constexpr long long kLongWait = 3600 * 1000;

using Lines = std::vector<std::string>;

inline const Lines kThreeStored = {"!PA 192.168.0.10", "!PP 5000", "!TB 9600"};
// What Write Script sends for the dialog's start values.
inline const Lines kStartValueLines = {"!WS !PA 10.1.0.1", "!WS !PP 1470", "!WS !TB 115200",
                                       "!WS !TP 0",        "!WS !TD 8",    "!WS !TS 1",
                                       "!WS !FC 0"};

inline Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Lines ErasePasses(int count) {
    Lines lines;
    for (int pass = 0; pass < count; ++pass) {
        lines.insert(lines.end(), {UNLOCK_LINE, "!ES"});
    }
    return lines;
}
