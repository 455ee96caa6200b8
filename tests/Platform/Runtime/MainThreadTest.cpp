#include "MainThread.h"
#include "RuntimeTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

QThread *mainThread()
{
    return QCoreApplication::instance()->thread();
}

TEST(MainThread, PerformQueuesEvenOnTheMainThreadAndKeepsOrder)
{
    std::vector<int> order;
    MainThread::perform([&] { order.push_back(1); });
    MainThread::perform([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty()) << "perform ran inline";
    ASSERT_TRUE(processEventsUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(MainThread, PerformFromAWorkerRunsOnTheMainThread)
{
    std::atomic<bool> ran{false};
    std::atomic<QThread *> where{nullptr};
    std::thread worker([&] {
        EXPECT_FALSE(MainThread::isCurrent());
        MainThread::perform([&] {
            where = QThread::currentThread();
            ran = true;
        });
    });
    worker.join();
    ASSERT_TRUE(processEventsUntil([&] { return ran.load(); }));
    EXPECT_EQ(where.load(), mainThread());
    EXPECT_TRUE(MainThread::isCurrent());
}

TEST(MainThread, PerformAndWaitBlocksTheWorkerUntilTheMainThreadHasRunIt)
{
    std::atomic<bool> workerDone{false};
    QThread *where = nullptr;
    int value = 0;
    bool valueSeenAfterReturn = false;
    std::thread worker([&] {
        MainThread::performAndWait([&] {
            where = QThread::currentThread();
            value = 42;
        });
        valueSeenAfterReturn = value == 42;
        workerDone = true;
    });
    if (!processEventsUntil([&] { return workerDone.load(); })) {
        // The worker is blocked on a call this thread no longer serves.
        std::fprintf(stderr, "performAndWait never returned on the worker\n");
        std::abort();
    }
    worker.join();
    EXPECT_TRUE(valueSeenAfterReturn);
    EXPECT_EQ(where, mainThread());
}

TEST(MainThread, PerformAndWaitOnTheMainThreadRunsDirectly)
{
    bool ran = false;
    MainThread::performAndWait([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(MainThread, PerformAfterDelayRunsOnTheMainThreadNoEarlierThanTheDelay)
{
    constexpr int kDelayMs = 40;
    struct Result {
        std::atomic<bool> ran{false};
        std::atomic<QThread *> where{nullptr};
        qint64 elapsed = -1;
    };
    // Scheduled from the main thread and from a worker without an event loop.
    for (bool fromWorker : {false, true}) {
        Result r;
        QElapsedTimer clock;
        clock.start();
        auto schedule = [&] {
            MainThread::performAfterDelay([&] {
                r.elapsed = clock.elapsed();
                r.where = QThread::currentThread();
                r.ran = true;
            }, kDelayMs);
        };
        if (fromWorker)
            std::thread(schedule).join();
        else
            schedule();
        ASSERT_TRUE(processEventsUntil([&] { return r.ran.load(); })) << "from worker " << fromWorker;
        EXPECT_GE(r.elapsed, kDelayMs) << "from worker " << fromWorker;
        EXPECT_EQ(r.where.load(), mainThread()) << "from worker " << fromWorker;
    }
}

TEST(MainThread, PerformAfterDelayIsDroppedWhenItsContextIsDestroyed)
{
    bool dropped = false, kept = false;
    auto doomed = std::make_unique<QObject>();
    QObject survivor;
    MainThread::performAfterDelay([&] { dropped = true; }, 20, doomed.get());
    MainThread::performAfterDelay([&] { kept = true; }, 20, &survivor);
    doomed.reset();
    ASSERT_TRUE(processEventsUntil([&] { return kept; }));
    processEventsFor(30); // the dropped one was due together with the kept one
    EXPECT_FALSE(dropped);
}

} // namespace
