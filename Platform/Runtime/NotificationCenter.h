#pragma once

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// A posted notification: its name, the object that posted it (compared by
// address only, never dereferenced by the centre) and its payload.
struct Notification {
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// The process-wide notification centre.
//
// post() delivers synchronously, on the posting thread, to the observers
// registered at that moment. The registry is guarded by a mutex that is never
// held while a handler runs, so handlers may post, add or remove observers.
// Removal takes effect at once: after removeObserver() returns, no new call of
// a removed handler begins, and calls already running on other threads have
// finished (a handler removing itself from inside its own call is not waited
// for). That makes it safe to remove an observer in its owner's destructor.
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

    // Number of live registrations (for tests and diagnostics).
    std::size_t observerCount() const;

private:
    struct Entry;
    void retire(const std::vector<std::shared_ptr<Entry>> &removed);

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Entry>> entries_;
    Token nextToken_ = 1;
};
