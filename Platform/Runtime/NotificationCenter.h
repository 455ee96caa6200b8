#pragma once

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// A posted notification: its name, the object that posted it (compared by
// address only, never dereferenced by the centre), an object carried by
// value (a text such as a serial number, for notifications whose object is
// data rather than a sender) and its payload.
struct Notification {
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
    QVariant value;
};

// The process-wide notification centre.
//
// post() delivers synchronously, on the posting thread, to the observers
// registered at that moment. The registry is guarded by a mutex that is never
// held while a handler runs, so handlers may post, add or remove observers.
// Removal takes effect at once: after removeObserver() returns, no new call of
// a removed handler begins, and calls already running on other threads have
// finished. That makes it safe to remove an observer in its owner's destructor.
// This also holds when the registration was already dropped by someone else
// (for example a handler that removed itself and is still running): removal by
// token or owner still waits for such calls.
//
// A handler removing its own registration waits for that registration's calls
// on other threads too (its own call naturally goes on), except for calls
// that are removing it at the same moment: of several calls removing one
// registration at once, one goes on without waiting for the others. Two
// handlers running at once on different threads must not remove each other's
// registrations: each would wait for the other.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification &)>;
    using Token = std::uint64_t;

    static NotificationCenter &defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    // Registers a handler for notifications named `name` (empty: every name)
    // posted by `sender` (nullptr: any sender). `owner` groups registrations
    // so that removeObserver(owner) drops all of them.
    Token addObserver(const void *owner, const QString &name, const void *sender, Handler handler);

    void removeObserver(Token token);
    void removeObserver(const void *owner);
    void removeObserver(const void *owner, const QString &name);

    void post(const QString &name, const void *object = nullptr, const QVariantMap &userInfo = {});
    // Posts with no sender and `value` as the notification's object; sender
    // filters do not match it.
    void postValue(const QString &name, const QVariant &value, const QVariantMap &userInfo = {});

    // Number of live registrations (for tests and diagnostics).
    std::size_t observerCount() const;

private:
    struct Entry;
    using EntryList = std::vector<std::shared_ptr<Entry>>;
    void deliver(const Notification &note);
    template <typename Pred> void removeMatching(Pred pred);
    void retire(const EntryList &removed);

    mutable std::mutex mutex_;
    EntryList entries_;
    // Registrations already dropped from entries_ that a post() may still be
    // calling; a later removal matching them waits for those calls as well.
    std::vector<std::weak_ptr<Entry>> retiring_;
    Token nextToken_ = 1;
};
