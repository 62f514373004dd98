#include "tests/integration/ui_thread_handoff.h"

#include <algorithm>

UiThreadHandoff::UiThreadHandoff() : ui([this] { Loop(); }) {}

UiThreadHandoff::~UiThreadHandoff() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
        stopping = true;
    }
    changed.notify_all();
    ui.join();
}

bool UiThreadHandoff::RunOnUiThread(const std::function<void()>& job) {
    std::unique_lock<std::mutex> lock(mutex);
    if (stopping) {
        return false;
    }
    Job entry{&job};
    queue.push_back(&entry);
    changed.notify_all();
    changed.wait(lock, [&] { return entry.done || (stopping && !entry.started); });
    if (!entry.done) {
        queue.erase(std::find(queue.begin(), queue.end(), &entry));
        return false;
    }
    return true;
}

void UiThreadHandoff::Loop() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return quit || (!paused && !queue.empty()); });
        if (quit) {
            return;
        }
        Job* job = queue.front();
        queue.pop_front();
        job->started = true;
        lock.unlock();
        (*job->run)();
        lock.lock();
        job->done = true;
        changed.notify_all();
    }
}

void UiThreadHandoff::Pause() {
    std::lock_guard<std::mutex> lock(mutex);
    paused = true;
}

void UiThreadHandoff::Resume() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        paused = false;
    }
    changed.notify_all();
}

void UiThreadHandoff::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
}

bool UiThreadHandoff::WaitForPending(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [this] { return !queue.empty(); });
}
