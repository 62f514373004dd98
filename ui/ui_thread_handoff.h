#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "protocol/ui_handoff.h"

struct HandoffQueue;

// A hand-off pass is one run of the worker's queued jobs on the user-interface thread: a burst
// of received lines goes over in one pass. The event loop does not run during a pass (only
// inside a modal box that a job opens), so nothing is painted; display work that several lines
// would each ask for can be done once, when the pass ends.
//
// Runs `action` when the current pass ends, before the event loop goes on; while no pass runs,
// at once. The action is dropped when `context` is destroyed first. User-interface thread only.
void RunAfterHandoffPass(QObject* context, std::function<void()> action);

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
