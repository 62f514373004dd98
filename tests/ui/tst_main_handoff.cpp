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

// Runs `work` on a thread of its own while this thread processes its events, until the work
// is done. A last posted event makes sure that the wait for events ends.
void RunWorkerProcessingEvents(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    while (!done.load()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    worker.join();
}

}  // namespace

class HandoffTest : public QObject {
    Q_OBJECT

private slots:
    void runsJobsInOrderOnUiThreadBeforeReturning();
    void stopAbandonsPendingJobAndRefusesNewOnes();
    void waitsForJobAlreadyRunning();
};

void HandoffTest::runsJobsInOrderOnUiThreadBeforeReturning() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    std::vector<int> seen;
    std::vector<QThread*> threads;
    int failures = 0;
    RunWorkerProcessingEvents([&] {
        for (int i = 0; i < 200; ++i) {
            const bool ran = handoff.RunOnUiThread([&, i] {
                seen.push_back(i);
                threads.push_back(QThread::currentThread());
            });
            // The job has run, and its effect is visible, once the call returns.
            failures += ran && seen.size() == size_t(i) + 1 ? 0 : 1;
        }
    });
    QCOMPARE(failures, 0);
    QCOMPARE(int(seen.size()), 200);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(seen[size_t(i)], i);
        QCOMPARE(threads[size_t(i)], QThread::currentThread());
    }
    // On the user-interface thread itself the job runs inline.
    QVERIFY(handoff.RunOnUiThread([&] { seen.push_back(-1); }));
    QCOMPARE(seen.back(), -1);
}

void HandoffTest::stopAbandonsPendingJobAndRefusesNewOnes() {
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

    std::thread late([&] { result = handoff.RunOnUiThread([&] { ++runs; }); });
    late.join();
    QVERIFY(!result.load());
    QVERIFY(!handoff.RunOnUiThread([&] { ++runs; }));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(runs.load(), 0);
}

void HandoffTest::waitsForJobAlreadyRunning() {
    std::atomic<int> stop{0};
    UiThreadHandoff handoff(stop);
    bool jobFinished = false;
    bool result = false;
    bool finishedSeenAtReturn = false;
    RunWorkerProcessingEvents([&] {
        result = handoff.RunOnUiThread([&] {
            // The exit arrives while the job runs: the worker must still wait for its end.
            stop = 1;
            handoff.RequestStop();
            jobFinished = true;
        });
        finishedSeenAtReturn = jobFinished;
    });
    QVERIFY(result);
    QVERIFY(finishedSeenAtReturn);
}

QTEST_MAIN(HandoffTest)
#include "tst_main_handoff.moc"
