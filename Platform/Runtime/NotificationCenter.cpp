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
    // the handler runs). Lock order: the centre's mutex_ before m.
    std::mutex m;
    std::condition_variable idle;
    bool alive = true;
    std::vector<std::thread::id> callers; // threads currently inside handler
    std::vector<std::thread::id> parked;  // callers blocked in retire() of this entry

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

void NotificationCenter::retire(const EntryList &removed)
{
    const auto self = std::this_thread::get_id();
    auto contains = [](const std::vector<std::thread::id> &ids, std::thread::id id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    for (const auto &e : removed) {
        std::unique_lock lock(e->m);
        e->alive = false;
        if (!contains(e->callers, self)) {
            e->idle.wait(lock, [&] { return e->callers.empty(); });
            continue;
        }
        // This thread is inside the handler being removed (it removes itself,
        // or a handler it posted to removes it). Its own call cannot finish
        // first, so wait only for the calls on other threads, and do not wait
        // for calls that are themselves parked here removing the same entry:
        // they would wait for us in turn.
        e->parked.push_back(self);
        e->idle.notify_all();
        e->idle.wait(lock, [&] {
            return std::all_of(e->callers.begin(), e->callers.end(), [&](std::thread::id id) {
                return id == self || contains(e->parked, id);
            });
        });
        e->parked.erase(std::find(e->parked.begin(), e->parked.end(), self));
    }
}

template <typename Pred>
void NotificationCenter::removeMatching(Pred pred)
{
    EntryList removed;
    {
        std::lock_guard lock(mutex_);
        // Registrations dropped earlier whose calls may still be running.
        std::erase_if(retiring_, [](const auto &w) { return w.expired(); });
        for (const auto &w : retiring_) {
            if (auto e = w.lock(); e && pred(*e))
                removed.push_back(std::move(e));
        }
        auto it = std::stable_partition(entries_.begin(), entries_.end(),
                                        [&](const auto &e) { return !pred(*e); });
        for (auto j = it; j != entries_.end(); ++j) {
            retiring_.push_back(*j);
            removed.push_back(std::move(*j));
        }
        entries_.erase(it, entries_.end());
    }
    retire(removed);
}

void NotificationCenter::removeObserver(Token token)
{
    removeMatching([&](const Entry &e) { return e.token == token; });
}

void NotificationCenter::removeObserver(const void *owner)
{
    removeMatching([&](const Entry &e) { return e.owner == owner; });
}

void NotificationCenter::removeObserver(const void *owner, const QString &name)
{
    removeMatching([&](const Entry &e) { return e.owner == owner && e.name == name; });
}

void NotificationCenter::post(const QString &name, const void *object, const QVariantMap &userInfo)
{
    deliver(Notification{name, object, userInfo, QVariant()});
}

void NotificationCenter::postValue(const QString &name, const QVariant &value, const QVariantMap &userInfo)
{
    deliver(Notification{name, nullptr, userInfo, value});
}

void NotificationCenter::deliver(const Notification &note)
{
    const QString &name = note.name;
    const void *object = note.object;
    EntryList targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto &e : entries_) {
            if (e->matches(name, object))
                targets.push_back(e);
        }
    }
    if (targets.empty())
        return;
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
