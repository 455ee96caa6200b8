#include "HandsetGate.h"

#include "NVXSoftWareInfo.h"

#include <cstdio>

namespace {
void onDeviceEvent(const AMDeviceNotificationInfo &info, void *context)
{
    static_cast<HandsetGate *>(context)->Notify(info);
}
} // namespace

HandsetGate &HandsetGate::singleton()
{
    static HandsetGate gate;
    return gate;
}

bool HandsetGate::setListener(HandsetGateListener *listener)
{
    listener_ = listener;
    if (listener && !subscribed_) {
        const std::uint32_t status = AMDeviceNotificationSubscribe(onDeviceEvent, 0, 0, this, &notification_);
        if (status != MobileDeviceStatus::kSuccess)
            std::fprintf(stderr, "AMDeviceNotificationSubscribe failed: %d\n", int(status));
        else
            subscribed_ = true;
    }
    return true;
}

bool HandsetGate::stopListener()
{
    if (!listener_)
        return true;
    const std::uint32_t status = AMDeviceNotificationUnsubscribe(notification_);
    if (status != MobileDeviceStatus::kSuccess)
        std::fprintf(stderr, "AMDeviceNotificationUnsubscribe failed: %d\n", int(status));
    else
        subscribed_ = false;
    listener_ = nullptr;
    return true;
}

void HandsetGate::applicationWillTerminate()
{
    for (const auto &d : devices_)
        d->applicationWillTerminate();
}

bool HandsetGate::waitForConnection()
{
    if (!subscribed_)
        return false;
    std::fputs("calling CFRunLoopRun(), plug iPod in now!!!\n", stderr);
    QEventLoop loop;
    waitingLoop_ = &loop;
    loop.exec();
    waitingLoop_ = nullptr;
    std::fputs("back from calling CFRunLoopRun()\n", stderr);
    return true;
}

void HandsetGate::Notify(const AMDeviceNotificationInfo &info)
{
    // Every event ends a wait for one, whatever it turns out to be.
    struct EndWait {
        QEventLoop *loop;
        ~EndWait()
        {
            if (loop)
                loop->quit();
        }
    } endWait{waitingLoop_};
    switch (info.message) {
    case 1: {
        const bool wifi = AMDeviceGetInterfaceType(info.device) == 2;
        if (wifi && !NVXSoftWareInfo::singleton().isSupportWifi())
            return;
        auto device = AMDevice::deviceFrom(info.device);
        if (!device)
            return;
        // A new subscription reports attached devices again: the fresh
        // object takes the place of the earlier one for the same device.
        for (qsizetype i = devices_.size() - 1; i >= 0; --i) {
            if (devices_.at(i)->isDevice(info.device))
                devices_.removeAt(i);
        }
        devices_.append(device);
        device->setIsWifiConnection(wifi);
        if (listener_)
            listener_->deviceConnected(device);
        return;
    }
    case 2:
        for (qsizetype i = 0; i < devices_.size(); ++i) {
            const auto device = devices_.at(i);
            if (device->isDevice(info.device)) {
                // Later calls through the object fail instead of reaching a
                // stale handle.
                device->forgetDevice();
                if (listener_)
                    listener_->deviceDisconnected(device);
                devices_.removeOne(device);
                return;
            }
        }
        return;
    case 3:
        return;
    default:
        std::fprintf(stderr, "Ignoring unknown message: %d\n", info.message);
    }
}
