#pragma once

#include "HandsetGateListener.h"
#include "NVXIPod.h"

#include <QList>
#include <QMap>
#include <QString>

#include <memory>
#include <mutex>

// The registry of device records, keyed by serial number. It listens to the
// device listener, makes a record for every unlocked device that arrives,
// drops it (and its working folder) when the device leaves, and announces
// both on the default notification centre:
//   "Device_Connected"     user info {"DeviceInfo": NVXBaseInfo}
//   "Device_Need_Passcode" object: the localized "NoconectView_Need_Passcode"
//   "Device_DisConnected"  object: the departed serial number
// Arrivals and departures run on the thread that started listening (the
// main thread); lookups may come from any thread and take the lock.
class NVXIpodPool : public HandsetGateListener {
public:
    static NVXIpodPool &singleton();

    void startListen();
    void stopListen();

    void addIPodByKey(const NVXIPodPtr &ipod, const QString &ipodKey);
    void removeIPodByKey(const QString &key);
    NVXIPodPtr getIPodByKey(const QString &key) const;
    bool checkIPodExsit(const QString &key) const;
    int getConnectedDeviceCount() const;
    // All records in key order; empty when there are none.
    QList<NVXIPodPtr> getAllConnectedIPod() const;
    // The first record (in key order) of an iOS device; nullptr when none.
    NVXIPodPtr getNextConnectedIpod() const;

    void deviceConnected(const std::shared_ptr<AMDevice> &device) override;
    void deviceDisconnected(const std::shared_ptr<AMDevice> &device) override;

    // Drops every record without deleting their folders (application exit).
    void applicationWillTerminate();

private:
    NVXIpodPool() = default;
    ~NVXIpodPool() override = default;

    mutable std::mutex mutex_;
    QMap<QString, NVXIPodPtr> _ipodPool;
};
