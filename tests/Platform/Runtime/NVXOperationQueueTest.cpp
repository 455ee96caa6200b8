#include "NVXOperationQueue.h"

#include <QSemaphore>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

TEST(NVXOperationQueue, RunsEveryOperationWithoutExceedingTheMaximum)
{
    for (int max : {1, 2, 3}) {
        NVXOperationQueue queue;
        queue.setMaxConcurrentOperationCount(max);
        ASSERT_EQ(queue.maxConcurrentOperationCount(), max);
        std::atomic<int> running{0}, peak{0}, done{0}, onCallingThread{0};
        const auto caller = std::this_thread::get_id();
        constexpr int kOperations = 24;
        for (int i = 0; i < kOperations; ++i) {
            queue.addOperation([&] {
                const int now = ++running;
                int seen = peak.load();
                while (now > seen && !peak.compare_exchange_weak(seen, now)) {
                }
                if (std::this_thread::get_id() == caller)
                    ++onCallingThread;
                std::this_thread::sleep_for(3ms); // let operations overlap
                --running;
                ++done;
            });
        }
        queue.waitUntilAllOperationsAreFinished();
        EXPECT_EQ(done.load(), kOperations) << "max " << max;
        EXPECT_LE(peak.load(), max) << "max " << max;
        EXPECT_EQ(onCallingThread.load(), 0) << "max " << max;
        if (max > 1) {
            EXPECT_GT(peak.load(), 1) << "max " << max << ": operations never overlapped";
        }
        EXPECT_EQ(queue.operationCount(), 0);
    }
}

TEST(NVXOperationQueue, SerialQueueRunsOperationsInTheOrderAdded)
{
    NVXOperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    std::mutex m;
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) {
        queue.addOperation([&, i] {
            std::lock_guard lock(m);
            order.push_back(i);
        });
    }
    queue.waitUntilAllOperationsAreFinished();
    std::vector<int> expected(50);
    for (int i = 0; i < 50; ++i)
        expected[std::size_t(i)] = i;
    EXPECT_EQ(order, expected);
}

TEST(NVXOperationQueue, CancelDropsOnlyOperationsNotYetStarted)
{
    NVXOperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    QSemaphore started, release;
    std::atomic<int> ran{0};
    queue.addOperation([&] {
        started.release();
        ASSERT_TRUE(release.tryAcquire(1, 5000));
        ++ran;
    });
    ASSERT_TRUE(started.tryAcquire(1, 5000));
    for (int i = 0; i < 10; ++i)
        queue.addOperation([&] { ++ran; });
    EXPECT_EQ(queue.operationCount(), 11);

    queue.cancelAllOperations();
    EXPECT_EQ(queue.operationCount(), 1); // the running one
    release.release();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(queue.operationCount(), 0);

    // The queue stays usable after a cancel.
    queue.addOperation([&] { ++ran; });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran.load(), 2);
}

TEST(NVXOperationQueue, DestroyingTheQueueWaitsForItsOperations)
{
    std::atomic<int> done{0};
    {
        NVXOperationQueue queue;
        queue.setMaxConcurrentOperationCount(2);
        for (int i = 0; i < 6; ++i) {
            queue.addOperation([&] {
                std::this_thread::sleep_for(2ms);
                ++done;
            });
        }
    }
    EXPECT_EQ(done.load(), 6);
}

} // namespace
