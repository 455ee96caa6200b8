#include "NVXOperationQueue.h"

#include <QRunnable>
#include <QThread>

// The pool deletes an operation after running it and also when clear()
// drops it unstarted, so the destructor is the one place that sees every
// operation leave the queue.
class NVXOperationQueue::Operation : public QRunnable {
public:
    Operation(std::function<void()> body, std::atomic<int> &pending)
        : body_(std::move(body)), pending_(pending)
    {
        setAutoDelete(true);
    }
    ~Operation() override { pending_.fetch_sub(1, std::memory_order_acq_rel); }

    void run() override
    {
        if (body_)
            body_();
    }

private:
    std::function<void()> body_;
    std::atomic<int> &pending_;
};

NVXOperationQueue::NVXOperationQueue()
{
    setMaxConcurrentOperationCount(DefaultMaxConcurrentOperationCount);
}

NVXOperationQueue::~NVXOperationQueue()
{
    pool_.waitForDone();
}

void NVXOperationQueue::setMaxConcurrentOperationCount(int count)
{
    pool_.setMaxThreadCount(count > 0 ? count : QThread::idealThreadCount());
}

int NVXOperationQueue::maxConcurrentOperationCount() const
{
    return pool_.maxThreadCount();
}

void NVXOperationQueue::addOperation(std::function<void()> operation)
{
    pending_.fetch_add(1, std::memory_order_acq_rel);
    pool_.start(new Operation(std::move(operation), pending_));
}

void NVXOperationQueue::cancelAllOperations()
{
    pool_.clear();
}

void NVXOperationQueue::waitUntilAllOperationsAreFinished()
{
    pool_.waitForDone();
}

int NVXOperationQueue::operationCount() const
{
    return pending_.load(std::memory_order_acquire);
}
