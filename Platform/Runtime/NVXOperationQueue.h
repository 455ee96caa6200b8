#pragma once

#include <QThreadPool>

#include <atomic>
#include <functional>

// A queue of operations run on worker threads, at most
// maxConcurrentOperationCount() at a time, in the order they were added (so a
// queue with a maximum of 1 runs them one after another, first in first out).
//
// Each queue owns its own thread pool; destroying the queue waits for the
// operations already added, including those not started yet.
class NVXOperationQueue {
public:
    // Passing this (or any value below 1) restores the default: one operation
    // per processor core.
    static constexpr int DefaultMaxConcurrentOperationCount = -1;

    NVXOperationQueue();
    ~NVXOperationQueue();
    NVXOperationQueue(const NVXOperationQueue &) = delete;
    NVXOperationQueue &operator=(const NVXOperationQueue &) = delete;

    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;

    void addOperation(std::function<void()> operation);

    // Drops the operations that have not started yet; running ones finish.
    void cancelAllOperations();

    // Blocks until every operation added so far has run or been cancelled.
    void waitUntilAllOperationsAreFinished();

    // Operations added and not yet finished or cancelled (running ones included).
    int operationCount() const;

private:
    class Operation;

    QThreadPool pool_;
    std::atomic<int> pending_{0};
};
