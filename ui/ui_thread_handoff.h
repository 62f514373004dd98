#pragma once

#include <QObject>
#include <atomic>
#include <memory>

#include "protocol/ui_handoff.h"

struct HandoffQueue;

// Lives on the user-interface thread and runs the jobs queued there. The worker only posts a
// call to RunPending; the jobs themselves travel through the queue, under its lock.
class HandoffReceiver : public QObject {
    Q_OBJECT

public:
    explicit HandoffReceiver(std::shared_ptr<HandoffQueue> queue);

public slots:
    void RunPending();

private:
    std::shared_ptr<HandoffQueue> queue;
};

// Runs the receive worker's jobs on the user-interface thread and waits for them: the job is
// queued, a call is posted to an object that lives on the user-interface thread, and the
// worker sleeps on a condition variable until the job has run or the program stops.
//
// Construct it on the user-interface thread. RunOnUiThread is for the worker (on the
// user-interface thread itself it runs the job inline); RequestStop for any thread.
class UiThreadHandoff : public UiHandoff {
public:
    // `stopFlag` is the program's stopWorker: once it is 1, pending jobs are abandoned.
    explicit UiThreadHandoff(std::atomic<int>& stopFlag);
    ~UiThreadHandoff() override;
    UiThreadHandoff(const UiThreadHandoff&) = delete;
    UiThreadHandoff& operator=(const UiThreadHandoff&) = delete;

    // Blocks until the job has run (true), or returns false without running it when the stop
    // flag is 1, before or while it waits. A job that has already started is waited for.
    [[nodiscard]] bool RunOnUiThread(const std::function<void()>& job) override;

    // Call after setting the stop flag to 1: wakes a waiting worker so that it gives up its
    // pending job at once. Does not block.
    void RequestStop();

private:
    std::shared_ptr<HandoffQueue> queue;
    HandoffReceiver receiver;
};
