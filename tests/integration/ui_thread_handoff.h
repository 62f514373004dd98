#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "protocol/ui_handoff.h"

// A stand-in for the user-interface thread: a thread of its own that runs the jobs handed to
// it one at a time, while the caller waits, as the real hand-off does. It can be paused (the
// UI busy elsewhere) and stopped (the program leaving: waiting hand-offs give up).
class UiThreadHandoff : public UiHandoff {
public:
    UiThreadHandoff();
    ~UiThreadHandoff() override;
    UiThreadHandoff(const UiThreadHandoff&) = delete;
    UiThreadHandoff& operator=(const UiThreadHandoff&) = delete;

    bool RunOnUiThread(const std::function<void()>& job) override;

    void Pause();
    void Resume();
    // From now on hand-offs that have not started return false, as when stopWorker is 1.
    void Stop();
    // True once a hand-off waits to run.
    bool WaitForPending(std::chrono::milliseconds timeout);
    std::thread::id ThreadId() const { return ui.get_id(); }

private:
    struct Job {
        const std::function<void()>* run;
        bool started = false;
        bool done = false;
    };
    void Loop();

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job*> queue;
    bool paused = false;
    bool stopping = false;
    bool quit = false;
    std::thread ui;
};
