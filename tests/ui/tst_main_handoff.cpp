// The worker-to-window hand-off: jobs run on the user-interface thread while the worker waits,
// and a stop releases the worker without running what is still pending.
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ui/ui_thread_handoff.h"

namespace {

// True once thread `tid` of this process is blocked (state S), which for a worker inside
// RunOnUiThread means it waits on its condition variable. Spins without processing events,
// so that nothing posted to this thread can run meanwhile.
bool WaitUntilBlocked(long tid) {
    const QString path = QStringLiteral("/proc/self/task/%1/stat").arg(tid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        QFile stat(path);
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray text = stat.readAll();
            const int end = text.lastIndexOf(')');
            if (end > 0 && text.size() > end + 2 && text.at(end + 2) == 'S') {
                return true;
            }
        }
        std::this_thread::yield();
    }
    return false;
}

// Processes this thread's events until `done` is set. The setter posts one more event after
// setting it, so that the wait for events always ends.
void ProcessEventsUntil(const std::atomic<bool>& done) {
    while (!done.load()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void SetAndWake(std::atomic<bool>& done) {
    done = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
}

}  // namespace

class HandoffTest : public QObject {
    Q_OBJECT

private slots:
    void runsJobOnUiThreadBeforeReturning();
    void keepsOrderOfManyJobs();
    void runsInlineOnUiThread();
    void stopAbandonsPendingJob();
    void refusesJobsOnceStopped();
    void waitsForJobAlreadyRunning();
};

void HandoffTest::runsJobOnUiThreadBeforeReturning() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    QThread* jobThread = nullptr;
    bool jobDone = false;
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    std::atomic<bool> doneSeenAtReturn{false};
    std::thread worker([&] {
        result = handoff.RunOnUiThread([&] {
            jobThread = QThread::currentThread();
            jobDone = true;
        });
        doneSeenAtReturn = jobDone;
        SetAndWake(returned);
    });
    ProcessEventsUntil(returned);
    worker.join();
    QVERIFY(result.load());
    QVERIFY(doneSeenAtReturn.load());
    QCOMPARE(jobThread, QThread::currentThread());
}

void HandoffTest::keepsOrderOfManyJobs() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    std::vector<int> seen;
    std::atomic<bool> finished{false};
    std::atomic<int> failures{0};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            if (!handoff.RunOnUiThread([&seen, i] { seen.push_back(i); })) {
                ++failures;
            }
        }
        SetAndWake(finished);
    });
    ProcessEventsUntil(finished);
    worker.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(static_cast<int>(seen.size()), 200);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(seen[static_cast<size_t>(i)], i);
    }
}

void HandoffTest::runsInlineOnUiThread() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    int runs = 0;
    QVERIFY(handoff.RunOnUiThread([&] { ++runs; }));
    QCOMPARE(runs, 1);
}

void HandoffTest::stopAbandonsPendingJob() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    std::atomic<int> runs{0};
    std::atomic<long> workerTid{0};
    std::atomic<bool> result{true};
    std::thread worker([&] {
        workerTid = static_cast<long>(syscall(SYS_gettid));
        result = handoff.RunOnUiThread([&] { ++runs; });
    });
    // This thread processes no events here, so the job stays pending; the join below
    // returns only because the stop releases the worker.
    while (workerTid.load() == 0) {
        std::this_thread::yield();
    }
    const bool blocked = WaitUntilBlocked(workerTid.load());
    stop = 1;
    handoff.RequestStop();
    worker.join();
    QVERIFY(blocked);
    QVERIFY(!result.load());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(runs.load(), 0);
}

void HandoffTest::refusesJobsOnceStopped() {
    std::atomic<int> stop{1};
    UiThreadHandoff handoff(stop);
    int runs = 0;
    bool workerResult = true;
    std::thread worker([&] { workerResult = handoff.RunOnUiThread([&] { ++runs; }); });
    worker.join();
    QVERIFY(!workerResult);
    QVERIFY(!handoff.RunOnUiThread([&] { ++runs; }));
    QCoreApplication::processEvents();
    QCOMPARE(runs, 0);
}

void HandoffTest::waitsForJobAlreadyRunning() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    bool jobFinished = false;
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    std::atomic<bool> finishedSeenAtReturn{false};
    std::thread worker([&] {
        result = handoff.RunOnUiThread([&] {
            // The exit arrives while the job runs: the worker must still wait for its end.
            stop = 1;
            handoff.RequestStop();
            jobFinished = true;
        });
        finishedSeenAtReturn = jobFinished;
        SetAndWake(returned);
    });
    ProcessEventsUntil(returned);
    worker.join();
    QVERIFY(result.load());
    QVERIFY(finishedSeenAtReturn.load());
}

QTEST_MAIN(HandoffTest)
#include "tst_main_handoff.moc"
