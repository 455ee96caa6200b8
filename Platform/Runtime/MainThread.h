#pragma once

#include <functional>

class QObject;

// Runs work on the application's main (GUI) thread, from any thread.
//
// The functions need the application object to exist; without one, perform()
// and performAfterDelay() drop the work with a warning and performAndWait()
// runs it on the calling thread.
class MainThread {
public:
    MainThread() = delete;

    // True when called on the thread that owns the application object.
    static bool isCurrent();

    // Queues fn on the main thread's event loop and returns at once, also
    // when called on the main thread itself (fn never runs inline). Queued
    // functions run in the order they were queued.
    static void perform(std::function<void()> fn);

    // Runs fn on the main thread and returns when it has finished. Called on
    // the main thread, it runs fn directly. From a worker it blocks until the
    // main thread's event loop gets to it, so the main thread must not be
    // waiting for that worker meanwhile.
    static void performAndWait(std::function<void()> fn);

    // Runs fn on the main thread after at least `ms` milliseconds. With a
    // context object, fn is dropped if the context has been destroyed by then.
    static void performAfterDelay(std::function<void()> fn, int ms, QObject *context = nullptr);
};
