#include "NotificationCenter.h"
#include "RuntimeTestSupport.h"

#include <QSemaphore>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Records which observers were called, in order.
struct CallLog {
    QStringList calls;
    NotificationCenter::Handler record(const QString &who)
    {
        return [this, who](const Notification &) { calls << who; };
    }
};

TEST(NotificationCenter, DeliversSynchronouslyOnThePostingThreadWithNameObjectAndUserInfo)
{
    NotificationCenter center;
    int sender = 0;
    std::thread::id handlerThread;
    Notification seen;
    center.addObserver(&center, "Changed", nullptr, [&](const Notification &n) {
        handlerThread = std::this_thread::get_id();
        seen = n;
    });

    center.post("Changed", &sender, {{"count", 3}});
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    EXPECT_EQ(seen.name, "Changed");
    EXPECT_EQ(seen.object, &sender);
    EXPECT_EQ(seen.userInfo.value("count").toInt(), 3);

    std::thread::id posterThread;
    bool deliveredBeforePostReturned = false;
    std::thread poster([&] {
        posterThread = std::this_thread::get_id();
        handlerThread = {};
        center.post("Changed");
        deliveredBeforePostReturned = handlerThread == posterThread;
    });
    poster.join();
    EXPECT_TRUE(deliveredBeforePostReturned);
}

TEST(NotificationCenter, FiltersByNameAndSender)
{
    NotificationCenter center;
    int s1 = 0, s2 = 0;
    CallLog log;
    center.addObserver(&log, "A", nullptr, log.record("A/any"));
    center.addObserver(&log, "", nullptr, log.record("all/any"));
    center.addObserver(&log, "A", &s1, log.record("A/s1"));
    center.addObserver(&log, "", &s2, log.record("all/s2"));

    struct Case {
        const char *name;
        const void *object;
        QStringList expected;
    } cases[] = {
        {"A", &s1, {"A/any", "all/any", "A/s1"}},
        {"A", &s2, {"A/any", "all/any", "all/s2"}},
        {"A", nullptr, {"A/any", "all/any"}},
        {"B", &s1, {"all/any"}},
        {"B", &s2, {"all/any", "all/s2"}},
        {"a", &s1, {"all/any"}}, // names are case-sensitive
    };
    for (const Case &c : cases) {
        log.calls.clear();
        center.post(c.name, c.object);
        EXPECT_EQ(log.calls, c.expected) << c.name << " from " << c.object;
    }
}

TEST(NotificationCenter, ObserverAddedDuringAPostMissesItAndGetsTheNext)
{
    NotificationCenter center;
    CallLog log;
    bool added = false;
    center.addObserver(&log, "N", nullptr, [&](const Notification &) {
        log.calls << "first";
        if (!added) {
            added = true;
            center.addObserver(&log, "N", nullptr, log.record("late"));
        }
    });
    center.post("N");
    EXPECT_EQ(log.calls, QStringList{"first"});
    center.post("N");
    EXPECT_EQ(log.calls, (QStringList{"first", "first", "late"}));
}

TEST(NotificationCenter, RemovalDropsExactlyTheMatchingRegistrations)
{
    enum class By { Token, Owner, OwnerAndName };
    struct Case {
        const char *label;
        By by;
        QStringList stillCalled;
    } cases[] = {
        {"token of a's x", By::Token, {"b/x", "a/y"}},
        {"owner a", By::Owner, {"b/x"}},
        {"owner a, name x", By::OwnerAndName, {"b/x", "a/y"}},
    };
    for (const Case &c : cases) {
        NotificationCenter center;
        int a = 0, b = 0;
        CallLog log;
        const auto ax = center.addObserver(&a, "x", nullptr, log.record("a/x"));
        center.addObserver(&a, "y", nullptr, log.record("a/y"));
        center.addObserver(&b, "x", nullptr, log.record("b/x"));
        switch (c.by) {
        case By::Token:
            center.removeObserver(ax);
            break;
        case By::Owner:
            center.removeObserver(&a);
            break;
        case By::OwnerAndName:
            center.removeObserver(&a, "x");
            break;
        }
        center.post("x");
        center.post("y");
        EXPECT_EQ(log.calls, c.stillCalled) << c.label;
        EXPECT_EQ(center.observerCount(), std::size_t(c.stillCalled.size())) << c.label;
    }
}

TEST(NotificationCenter, RemovalInsideAHandlerTakesEffectAtOnce)
{
    NotificationCenter center;
    CallLog log;
    int owner = 0;

    // A one-shot observer removing itself, followed by one that the first
    // handler of the post removes before its turn comes.
    NotificationCenter::Token self = 0, victim = 0;
    self = center.addObserver(&owner, "N", nullptr, [&](const Notification &) {
        log.calls << "self";
        center.removeObserver(self);
        center.removeObserver(victim);
        log.calls << "self done";
    });
    center.addObserver(&owner, "N", nullptr, log.record("bystander"));
    victim = center.addObserver(&owner, "N", nullptr, log.record("victim"));

    center.post("N");
    EXPECT_EQ(log.calls, (QStringList{"self", "self done", "bystander"}));
    log.calls.clear();
    center.post("N");
    EXPECT_EQ(log.calls, QStringList{"bystander"});
    EXPECT_EQ(center.observerCount(), 1u);
}

TEST(NotificationCenter, HandlersMayPostAddAndRemoveWithoutDeadlock)
{
    finishWithin(10000, "re-entrant use of the centre from a handler", [] {
        NotificationCenter center;
        int owner = 0;
        std::atomic<int> innerCalls{0};
        center.addObserver(&owner, "inner", nullptr, [&](const Notification &) { ++innerCalls; });
        center.addObserver(&owner, "outer", nullptr, [&](const Notification &) {
            // Same thread: nested post, add, remove, count.
            center.post("inner");
            const auto t = center.addObserver(&owner, "inner", nullptr, [](const Notification &) {});
            center.removeObserver(t);
            EXPECT_EQ(center.observerCount(), 2u);
            // Another thread using the centre while this handler runs: it
            // would block on any lock held across the call.
            std::thread other([&] {
                const auto t2 = center.addObserver(&owner, "inner", nullptr, [](const Notification &) {});
                center.post("inner");
                center.removeObserver(t2);
            });
            other.join();
        });
        center.post("outer");
        EXPECT_EQ(innerCalls.load(), 2);
    });
}

// A handler runs on a poster thread; a remover thread removes it meanwhile.
// removeObserver() must not return before that call has finished, which is
// what makes removal in an owner's destructor safe. The last case is a
// handler that removed itself first and is still running: removing its owner
// from elsewhere must wait for it all the same.
TEST(NotificationCenter, RemovalFromAnotherThreadWaitsForARunningHandler)
{
    enum class By { Token, Owner, OwnerAndName, OwnerAfterSelfRemoval };
    const struct {
        const char *label;
        By by;
    } cases[] = {
        {"token", By::Token},
        {"owner", By::Owner},
        {"owner and name", By::OwnerAndName},
        {"owner, after the handler removed itself", By::OwnerAfterSelfRemoval},
    };
    for (const auto &c : cases) {
        NotificationCenter center;
        struct Owner {
            QSemaphore entered;
            std::atomic<bool> finished{false};
        } owner;
        NotificationCenter::Token token = 0;
        token = center.addObserver(&owner, "N", nullptr, [&, by = c.by](const Notification &) {
            if (by == By::OwnerAfterSelfRemoval)
                center.removeObserver(token);
            owner.entered.release();
            std::this_thread::sleep_for(100ms); // long enough to catch an early return
            owner.finished = true;
        });

        std::thread poster([&] { center.post("N"); });
        bool finishedWhenRemovalReturned = false;
        std::thread remover([&] {
            ASSERT_TRUE(owner.entered.tryAcquire(1, 5000));
            switch (c.by) {
            case By::Token:
                center.removeObserver(token);
                break;
            case By::Owner:
            case By::OwnerAfterSelfRemoval:
                center.removeObserver(&owner);
                break;
            case By::OwnerAndName:
                center.removeObserver(&owner, "N");
                break;
            }
            finishedWhenRemovalReturned = owner.finished;
        });
        remover.join();
        poster.join();
        EXPECT_TRUE(finishedWhenRemovalReturned) << c.label;
        EXPECT_EQ(center.observerCount(), 0u) << c.label;
    }
}

TEST(NotificationCenter, HandlerRemovingItselfWaitsForItsCallOnAnotherThread)
{
    finishWithin(10000, "a handler removing itself while it runs elsewhere", [] {
        NotificationCenter center;
        int owner = 0;
        QSemaphore slowEntered;
        std::atomic<bool> slowFinished{false};
        bool finishedWhenRemovalReturned = false;
        NotificationCenter::Token token = 0;
        token = center.addObserver(&owner, "N", nullptr, [&](const Notification &n) {
            if (n.userInfo.value("role") == "slow") {
                slowEntered.release();
                std::this_thread::sleep_for(100ms);
                slowFinished = true;
            } else {
                ASSERT_TRUE(slowEntered.tryAcquire(1, 5000));
                center.removeObserver(token);
                finishedWhenRemovalReturned = slowFinished;
            }
        });
        std::thread slow([&] { center.post("N", nullptr, {{"role", "slow"}}); });
        std::thread remover([&] { center.post("N", nullptr, {{"role", "remover"}}); });
        slow.join();
        remover.join();
        EXPECT_TRUE(finishedWhenRemovalReturned);
    });
}

TEST(NotificationCenter, OneShotObserverRunningOnTwoThreadsAtOnceCanRemoveItselfOnBoth)
{
    finishWithin(10000, "two calls of one handler both removing it", [] {
        NotificationCenter center;
        int owner = 0;
        std::atomic<int> inside{0};
        NotificationCenter::Token token = 0;
        token = center.addObserver(&owner, "N", nullptr, [&](const Notification &) {
            ++inside;
            // Make sure both calls are running before either removes.
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (inside.load() < 2 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            center.removeObserver(token);
        });
        std::thread a([&] { center.post("N"); });
        std::thread b([&] { center.post("N"); });
        a.join();
        b.join();
        EXPECT_EQ(inside.load(), 2);
        EXPECT_EQ(center.observerCount(), 0u);
    });
}

// Several threads post, add and remove at once. An observer's `removed` flag
// is set right after a removeObserver() from outside its handler returns, and
// its plain `payload` is overwritten then; a handler call that starts or is
// still running after that is a fault (counted here, and a data race that
// ThreadSanitizer reports). One observer in seven removes itself on its first
// call, and observers of "n0" post "n1" from their handler.
TEST(NotificationCenter, ConcurrentPostsAddsAndRemovalsNeverCallARemovedHandler)
{
    constexpr int kThreads = 4;
    constexpr int kIterations = 20000;
    constexpr std::size_t kLivePerThread = 6;

    struct Observer {
        std::atomic<NotificationCenter::Token> token{0};
        std::atomic<bool> removed{false};
        int payload = 1;
        bool oneShot = false;
        QString name;
    };

    NotificationCenter center;
    int senders[2] = {0, 0};
    std::atomic<int> calls{0}, lateCalls{0}, badPayload{0};
    const QString names[] = {"n0", "n1", ""};

    auto worker = [&](int seed) {
        std::vector<std::unique_ptr<Observer>> all; // kept until the end: flags stay readable
        std::vector<Observer *> live;
        auto remove = [&](Observer *o, int how) {
            switch (how % 3) {
            case 0:
                center.removeObserver(o->token.load());
                break;
            case 1:
                center.removeObserver(static_cast<const void *>(o));
                break;
            default:
                center.removeObserver(o, o->name);
                break;
            }
            o->removed = true;
            o->payload = -1;
        };
        for (int i = 0; i < kIterations; ++i) {
            const int r = seed * 7919 + i * 31;
            if (live.size() < kLivePerThread) {
                auto o = std::make_unique<Observer>();
                Observer *obs = o.get();
                obs->oneShot = r % 7 == 0;
                obs->name = names[r % 3];
                const void *sender = (r / 3) % 2 ? &senders[r % 2] : nullptr;
                const auto token = center.addObserver(obs, obs->name, sender, [&, obs](const Notification &n) {
                    if (obs->removed.load())
                        ++lateCalls;
                    if (obs->payload != 1)
                        ++badPayload;
                    ++calls;
                    if (obs->name == "n0" && n.name == "n0")
                        center.post("n1", n.object);
                    if (obs->oneShot) {
                        if (const auto t = obs->token.load())
                            center.removeObserver(t);
                        // Still running: a removal from outside must wait for this.
                        if (obs->payload != 1)
                            ++badPayload;
                    }
                });
                obs->token = token;
                live.push_back(obs);
                all.push_back(std::move(o));
            }
            center.post(names[(r / 5) % 2], (r / 11) % 3 ? &senders[r % 2] : nullptr);
            if (i % 3 == 2) {
                const std::size_t victim = std::size_t(r) % live.size();
                remove(live[victim], r / 13);
                live.erase(live.begin() + std::ptrdiff_t(victim));
            }
        }
        for (Observer *o : live)
            remove(o, seed);
    };

    finishWithin(120000, "concurrent notification stress", [&] {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back(worker, t + 1);
        for (auto &t : threads)
            t.join();
    });

    EXPECT_GT(calls.load(), 0);
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_EQ(badPayload.load(), 0);
    EXPECT_EQ(center.observerCount(), 0u);
}

} // namespace
