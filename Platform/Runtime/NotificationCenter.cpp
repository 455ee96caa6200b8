#include "NotificationCenter.h"

#include <algorithm>
#include <condition_variable>
#include <thread>

struct NotificationCenter::Entry {
    NotificationCenter::Token token = 0;
    const void *owner = nullptr;
    QString name;
    const void *sender = nullptr;
    NotificationCenter::Handler handler;

    // Per-entry call bookkeeping, guarded by its own mutex (never held while
    // the handler runs).
    std::mutex m;
    std::condition_variable idle;
    bool alive = true;
    std::vector<std::thread::id> callers; // threads currently inside handler

    bool matches(const QString &n, const void *obj) const
    {
        return (name.isEmpty() || name == n) && (sender == nullptr || sender == obj);
    }
};

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

NotificationCenter::Token NotificationCenter::addObserver(const void *owner, const QString &name,
                                                          const void *sender, Handler handler)
{
    auto entry = std::make_shared<Entry>();
    entry->owner = owner;
    entry->name = name;
    entry->sender = sender;
    entry->handler = std::move(handler);
    std::lock_guard lock(mutex_);
    entry->token = nextToken_++;
    entries_.push_back(entry);
    return entry->token;
}

void NotificationCenter::retire(const std::vector<std::shared_ptr<Entry>> &removed)
{
    const auto self = std::this_thread::get_id();
    for (const auto &e : removed) {
        std::unique_lock lock(e->m);
        e->alive = false;
        // Wait for calls running on other threads; a call on this thread is
        // the handler removing itself (or a caller up the stack) and must not
        // be waited for.
        e->idle.wait(lock, [&] {
            return std::all_of(e->callers.begin(), e->callers.end(),
                               [&](std::thread::id id) { return id == self; });
        });
    }
}

void NotificationCenter::removeObserver(Token token)
{
    std::vector<std::shared_ptr<Entry>> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const auto &e) { return e->token == token; });
        if (it != entries_.end()) {
            removed.push_back(*it);
            entries_.erase(it);
        }
    }
    retire(removed);
}

void NotificationCenter::removeObserver(const void *owner)
{
    std::vector<std::shared_ptr<Entry>> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = std::stable_partition(entries_.begin(), entries_.end(),
                                        [&](const auto &e) { return e->owner != owner; });
        removed.assign(it, entries_.end());
        entries_.erase(it, entries_.end());
    }
    retire(removed);
}

void NotificationCenter::removeObserver(const void *owner, const QString &name)
{
    std::vector<std::shared_ptr<Entry>> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = std::stable_partition(entries_.begin(), entries_.end(), [&](const auto &e) {
            return !(e->owner == owner && e->name == name);
        });
        removed.assign(it, entries_.end());
        entries_.erase(it, entries_.end());
    }
    retire(removed);
}

void NotificationCenter::post(const QString &name, const void *object, const QVariantMap &userInfo)
{
    std::vector<std::shared_ptr<Entry>> targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto &e : entries_) {
            if (e->matches(name, object))
                targets.push_back(e);
        }
    }
    if (targets.empty())
        return;
    const Notification note{name, object, userInfo};
    const auto self = std::this_thread::get_id();
    for (const auto &e : targets) {
        {
            std::lock_guard lock(e->m);
            if (!e->alive)
                continue; // removed after the snapshot was taken
            e->callers.push_back(self);
        }
        struct Leave {
            Entry &e;
            std::thread::id self;
            ~Leave()
            {
                std::lock_guard lock(e.m);
                e.callers.erase(std::find(e.callers.begin(), e.callers.end(), self));
                e.idle.notify_all();
            }
        } leave{*e, self};
        e->handler(note);
    }
}

std::size_t NotificationCenter::observerCount() const
{
    std::lock_guard lock(mutex_);
    return entries_.size();
}
