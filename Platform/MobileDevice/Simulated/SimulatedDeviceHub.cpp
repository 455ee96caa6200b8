#include "SimulatedDeviceHub.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>

struct SimulatedDeviceHub::Subscriber {
    Subscription id = 0;
    Callback callback;
    // Lives in the subscribing thread; queued calls on it run there.
    QPointer<QObject> receiver;
    std::atomic<bool> active{true};
};

SimulatedDeviceHub &SimulatedDeviceHub::instance()
{
    static SimulatedDeviceHub hub;
    return hub;
}

void SimulatedDeviceHub::deliver(const std::shared_ptr<Subscriber> &s, const std::shared_ptr<SimulatedDevice> &device,
                                 Message message)
{
    if (!s->receiver)
        return;
    QMetaObject::invokeMethod(
        s->receiver,
        [s, device, message] {
            if (s->active.load())
                s->callback(device, message);
        },
        Qt::QueuedConnection);
}

std::shared_ptr<SimulatedDevice> SimulatedDeviceHub::attach(const QString &folder, QString *error)
{
    auto device = SimulatedDevice::open(folder, error);
    if (!device)
        return nullptr;
    // A device that a fault makes leave is reported like one unplugged.
    std::weak_ptr<SimulatedDevice> weak = device;
    device->faults()->onDetached = [this, weak] {
        if (auto d = weak.lock())
            detach(d);
    };
    std::lock_guard lock(mutex_);
    devices_.append(device);
    for (const auto &s : subscribers_)
        deliver(s, device, Attached);
    return device;
}

void SimulatedDeviceHub::detach(const std::shared_ptr<SimulatedDevice> &device)
{
    if (!device)
        return;
    device->detach();
    std::lock_guard lock(mutex_);
    if (!devices_.removeOne(device))
        return; // already detached
    for (const auto &s : subscribers_)
        deliver(s, device, Detached);
}

QList<std::shared_ptr<SimulatedDevice>> SimulatedDeviceHub::attachedDevices() const
{
    std::lock_guard lock(mutex_);
    return devices_;
}

SimulatedDeviceHub::Subscription SimulatedDeviceHub::subscribe(Callback callback)
{
    auto s = std::make_shared<Subscriber>();
    s->callback = std::move(callback);
    s->receiver = new QObject; // made here, so it belongs to this thread
    std::lock_guard lock(mutex_);
    s->id = next_++;
    subscribers_.append(s);
    // Devices attached before the subscription are reported first, as the
    // platform does.
    for (const auto &d : devices_)
        deliver(s, d, Attached);
    return s->id;
}

void SimulatedDeviceHub::unsubscribe(Subscription subscription)
{
    std::shared_ptr<Subscriber> s;
    {
        std::lock_guard lock(mutex_);
        for (qsizetype i = 0; i < subscribers_.size(); ++i) {
            if (subscribers_[i]->id == subscription) {
                s = subscribers_.takeAt(i);
                break;
            }
        }
    }
    if (!s)
        return;
    s->active.store(false);
    if (s->receiver)
        s->receiver->deleteLater();
}
