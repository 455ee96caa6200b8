#include "MainThread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>

bool MainThread::isCurrent()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void MainThread::perform(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        qWarning("MainThread::perform: no application object; work dropped");
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void MainThread::performAndWait(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        // A blocking queued call to our own thread would never return.
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::BlockingQueuedConnection);
}

void MainThread::performAfterDelay(std::function<void()> fn, int ms, QObject *context)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        qWarning("MainThread::performAfterDelay: no application object; work dropped");
        return;
    }
    // The timer is owned by the application object, so it lives and fires on
    // the main thread whatever thread the context belongs to; the guard drops
    // the work once the context is gone. A precise timer never fires early.
    const bool hasContext = context != nullptr;
    QPointer<QObject> guard(context);
    auto start = [fn = std::move(fn), ms, hasContext, guard]() mutable {
        if (hasContext && !guard)
            return;
        QTimer::singleShot(std::max(ms, 0), Qt::PreciseTimer, QCoreApplication::instance(),
                           [fn = std::move(fn), hasContext, guard] {
                               if (hasContext && !guard)
                                   return;
                               fn();
                           });
    };
    if (QThread::currentThread() == app->thread())
        start();
    else
        QMetaObject::invokeMethod(app, std::move(start), Qt::QueuedConnection);
}
