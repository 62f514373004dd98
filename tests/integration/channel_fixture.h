#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "link/com_port_map.h"
#include "link/serial_channel.h"
#include "link/user_message.h"
#include "tests/integration/pty_port.h"
#include "tests/unit/link/temp_tree.h"

// Records every message box the channel asks for; any thread.
class RecordingSink : public MessageSink {
public:
    void ShowMessage(const UserMessage& message) override {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(message);
    }
    std::vector<UserMessage> Messages() const {
        std::lock_guard<std::mutex> lock(mutex);
        return messages;
    }
    size_t Count() const { return Messages().size(); }

private:
    mutable std::mutex mutex;
    std::vector<UserMessage> messages;
};

// Waits for a condition that nothing signals (bytes inside the kernel's terminal buffers),
// checking it every millisecond; true once it holds, false after ten seconds.
inline bool WaitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

inline int OpenDescriptorCount() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

// A channel over a bare pseudo-terminal linked as COM7 in a private tree.
class ChannelTest : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    [[nodiscard]] int Open(SerialSettings settings = {}) { return port.OpenPort(kPort, settings); }

    TempTree tree;
    PtyPort pty{tree, kPort};
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
};
