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
