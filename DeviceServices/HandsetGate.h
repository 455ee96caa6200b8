#pragma once

#include "AMDevice.h"
#include "HandsetGateListener.h"

#include <QEventLoop>
#include <QList>

#include <memory>

// The device listener: subscribes to the platform's attach and detach
// events, wraps each attached device in an AMDevice and reports it to one
// listener. Used from the main thread, where the events arrive.
class HandsetGate {
public:
    static HandsetGate &singleton();

    // Stores the listener and subscribes when there is none yet. A new
    // subscription hears again of every device already attached.
    bool setListener(HandsetGateListener *listener);
    bool stopListener();
    bool isSubscribed() const { return subscribed_; }

    const QList<std::shared_ptr<AMDevice>> &devices() const { return devices_; }
    void detachDevice(const std::shared_ptr<AMDevice> &device) { devices_.removeOne(device); }
    void applicationWillTerminate();

    // Runs the event loop until the next device event; false when not
    // subscribed (nothing could end the wait).
    bool waitForConnection();
    QString clientVersion() const { return AFCGetClientVersionString(); }

    // One platform event (message 1 attached, 2 detached, 3 ignored).
    void Notify(const AMDeviceNotificationInfo &info);

private:
    HandsetGate() = default;

    HandsetGateListener *listener_ = nullptr;
    bool subscribed_ = false;
    AMDeviceNotificationRef notification_ = 0;
    QList<std::shared_ptr<AMDevice>> devices_;
    QEventLoop *waitingLoop_ = nullptr; // set while waitForConnection runs
};
