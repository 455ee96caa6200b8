#pragma once

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

// Lets GoogleTest print QString (and lists of them) readably.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// Runs the calling thread's event loop until `done` answers true or
// `timeoutMs` has passed; answers done().
inline bool processEventsUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    limit.start(timeoutMs);
    loop.exec();
    return done();
}

// Runs the event loop for `ms` milliseconds (to show that something does not
// happen within that time).
inline void processEventsFor(int ms)
{
    processEventsUntil([] { return false; }, ms);
}

// Runs fn on its own thread and waits up to timeoutMs for it. A thread still
// blocked by then is deadlocked for good and cannot be joined, so the process
// is ended with a message: the run fails instead of hanging.
inline void finishWithin(int timeoutMs, const char *what, std::function<void()> fn)
{
    struct State {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto state = std::make_shared<State>();
    std::thread worker([state, fn = std::move(fn)] {
        fn();
        std::lock_guard lock(state->m);
        state->done = true;
        state->cv.notify_all();
    });
    std::unique_lock lock(state->m);
    if (!state->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->done; })) {
        std::fprintf(stderr, "%s: still blocked after %d ms (deadlock)\n", what, timeoutMs);
        std::fflush(stderr);
        std::abort();
    }
    lock.unlock();
    worker.join();
}
