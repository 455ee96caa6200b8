#pragma once

#include "DeviceBackend.h"
#include "SimulatedDevice.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

// The process-wide hub of simulated devices. Tests, the demo mode and
// "--simulate DIR" attach and detach devices at run time; subscribers hear
// of each as the platform reports them: message 1 attached, 2 detached, on
// the subscribing thread's event loop, and on subscribing they first hear of
// every device already attached.
class SimulatedDeviceHub : public DeviceBackend {
public:

    static SimulatedDeviceHub &instance();

    // Opens the folder as a device and attaches it; nullptr (with a reason)
    // when the folder is no simulated device.
    std::shared_ptr<SimulatedDevice> attach(const QString &folder, QString *error = nullptr);
    // Detaches the device: its calls fail from now on, subscribers hear of it.
    void detach(const std::shared_ptr<SimulatedDevice> &device);
    QList<std::shared_ptr<SimulatedDevice>> attachedDevices() const;

    // The calling thread must run an event loop for the events to arrive.
    Subscription subscribe(Callback callback) override;
    // No event is delivered to the subscription after this returns, not
    // even one already queued.
    void unsubscribe(Subscription subscription) override;

private:
    struct Subscriber;
    void deliver(const std::shared_ptr<Subscriber> &s, const std::shared_ptr<SimulatedDevice> &device,
                 Message message);

    mutable std::mutex mutex_;
    QList<std::shared_ptr<SimulatedDevice>> devices_;
    QList<std::shared_ptr<Subscriber>> subscribers_;
    Subscription next_ = 1;
};
