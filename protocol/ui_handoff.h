#pragma once

#include <functional>

// Runs work on the user-interface thread on behalf of the receive worker.
class UiHandoff {
public:
    virtual ~UiHandoff() = default;

    // Runs `job` on the user-interface thread and returns true once it has run. Returns false
    // without running it when the program is stopping (stopWorker is 1), also while it waits,
    // so that the worker can always be joined. Called on the worker thread only.
    virtual bool RunOnUiThread(const std::function<void()>& job) = 0;
};
