#include "ui/ui_thread_handoff.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace {

enum class JobState { Pending, Running, Done, Abandoned };

// One queued job. `job` points into the waiting worker's frame; it is only used while the
// worker still waits, that is while the state is Pending or Running.
struct Ticket {
    const std::function<void()>* job;
    JobState state = JobState::Pending;
};

// What waits for the end of the running pass. User-interface thread only.
struct PassState {
    int depth = 0;  // a job's modal box may run a pass of another hand-off inside this one
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> atEnd;
};

PassState& Pass() {
    static PassState state;
    return state;
}

// Marks a pass for its lifetime; the outermost one runs what waits for its end.
class PassScope {
public:
    PassScope() { ++Pass().depth; }
    ~PassScope() {
        PassState& pass = Pass();
        if (--pass.depth > 0) {
            return;
        }
        // An action may ask for another; that one runs at once, as no pass is running.
        const auto actions = std::exchange(pass.atEnd, {});
        for (const auto& [context, action] : actions) {
            if (context != nullptr) {
                action();
            }
        }
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;
};

}  // namespace

void RunAfterHandoffPass(QObject* context, std::function<void()> action) {
    PassState& pass = Pass();
    if (pass.depth == 0) {
        action();
        return;
    }
    pass.atEnd.emplace_back(context, std::move(action));
}

// Shared by the hand-off and its receiver, so that a call delivered late never touches a
// destroyed hand-off. Everything in it is guarded by `mutex`.
struct HandoffQueue {
    explicit HandoffQueue(std::atomic<int>& stopFlag) : stopFlag(stopFlag) {}

    bool Stopping() const { return stopFlag.load() == 1; }

    std::atomic<int>& stopFlag;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Ticket>> tickets;
};

HandoffReceiver::HandoffReceiver(std::shared_ptr<HandoffQueue> queue) : queue(std::move(queue)) {}

void HandoffReceiver::RunPending() {
    const PassScope pass;  // ends after the lock is released
    std::unique_lock<std::mutex> lock(queue->mutex);
    while (!queue->tickets.empty()) {
        const std::shared_ptr<Ticket> ticket = queue->tickets.front();
        queue->tickets.pop_front();
        if (ticket->state != JobState::Pending) {
            continue;  // abandoned by a stop
        }
        ticket->state = JobState::Running;
        lock.unlock();
        (*ticket->job)();
        lock.lock();
        ticket->state = JobState::Done;
        // Woken after the unlock, the worker finds the lock free instead of waiting for it.
        lock.unlock();
        queue->changed.notify_all();
        lock.lock();
    }
}

UiThreadHandoff::UiThreadHandoff(std::atomic<int>& stopFlag)
    : queue(std::make_shared<HandoffQueue>(stopFlag)), receiver(queue) {}

UiThreadHandoff::~UiThreadHandoff() = default;

bool UiThreadHandoff::RunOnUiThread(const std::function<void()>& job) {
    if (queue->Stopping()) {
        return false;
    }
    if (QThread::currentThread() == receiver.thread()) {
        job();
        return true;
    }
    const auto ticket = std::make_shared<Ticket>(Ticket{&job});
    std::unique_lock<std::mutex> lock(queue->mutex);
    queue->tickets.push_back(ticket);
    lock.unlock();
    // Only the call crosses the event queue; the job goes through the locked queue above.
    // Posted unlocked, so that the woken user-interface thread finds the queue free.
    QMetaObject::invokeMethod(&receiver, &HandoffReceiver::RunPending, Qt::QueuedConnection);
    lock.lock();
    queue->changed.wait(lock, [&] {
        return ticket->state == JobState::Done ||
               (ticket->state == JobState::Pending && queue->Stopping());
    });
    if (ticket->state == JobState::Done) {
        return true;
    }
    ticket->state = JobState::Abandoned;
    return false;
}

void UiThreadHandoff::RequestStop() {
    // Taking the lock orders the notification after any waiter's check of the flag.
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->changed.notify_all();
}
