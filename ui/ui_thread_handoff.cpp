#include "ui/ui_thread_handoff.h"

#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

enum class JobState { Pending, Running, Done, Abandoned };

// One queued job. `job` points into the waiting worker's frame; it is only used while the
// worker still waits, that is while the state is Pending or Running.
struct Ticket {
    const std::function<void()>* job;
    JobState state = JobState::Pending;
};

}  // namespace

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
        queue->changed.notify_all();
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
    // Only the call crosses the event queue; the job goes through the locked queue above.
    QMetaObject::invokeMethod(&receiver, "RunPending", Qt::QueuedConnection);
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
