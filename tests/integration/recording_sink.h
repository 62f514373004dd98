#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "link/user_message.h"

// Records every message box the channel asks for; any thread.
class RecordingSink : public MessageSink {
public:
    void ShowMessage(const UserMessage& message) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            messages.push_back(message);
        }
        changed.notify_all();
    }

    std::vector<UserMessage> Messages() const {
        std::lock_guard<std::mutex> lock(mutex);
        return messages;
    }

    size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex);
        return messages.size();
    }

    bool WaitForCount(size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return messages.size() >= count; });
    }

private:
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<UserMessage> messages;
};
