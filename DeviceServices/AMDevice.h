#pragma once

#include "MobileDevice.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <mutex>

// One attached device. Caches its identity values at creation, reads
// values by key and domain, gathers the property set of the device
// information, and opens and closes connections and sessions around each
// operation. Calls are serialised per device object, since worker threads
// share it; after forgetDevice() every call fails without reaching the
// platform.
class AMDevice {
public:
    // A device object for the handle, or nullptr (with the console line
    // "Failed to create AMDevice: …") when the device cannot be connected.
    static std::shared_ptr<AMDevice> deviceFrom(const AMDeviceRef &handle);
    ~AMDevice();
    AMDevice(const AMDevice &) = delete;
    AMDevice &operator=(const AMDevice &) = delete;

    // True for status 0. Otherwise the last error becomes "<call> failed: <hex>",
    // and the passcode-locked status marks the device.
    bool checkStatus(std::uint32_t status, const char *call);

    bool deviceConnect();
    bool deviceDisconnect();
    bool startSession();
    bool stopSession();

    QVariant deviceValueForKey(const QString &key, const QString &domain = QString());
    QVariantMap allDeviceValuesForDomain(const QString &domain);
    QVariantMap getDeviceInfo();

    // Starts a file service with a connection and session of its own; the
    // service outlives them. Nullptr on failure.
    AFCConnectionRef newFileService(const QString &serviceName);
    // Starts any service the same way and answers its handle.
    AMServiceRef newServiceHandle(const QString &serviceName);

    bool isDevice(const AMDeviceRef &handle) const;
    void forgetDevice();
    void applicationWillTerminate();

    QString udid() const { return udid_; }
    QString deviceName() const { return deviceName_; }
    QString deviceClass() const { return deviceClass_; }
    QString productType() const { return productType_; }
    QString productVersion() const { return productVersion_; }
    QString serialNumber() const { return serialNumber_; }
    QVariant totalDiskCapacity() const { return totalDiskCapacity_; }
    QString lasterror() const;
    bool isNeedInputPassCode() const;
    bool isWifiConnection() const { return isWifiConnection_; }
    void setIsWifiConnection(bool wifi) { isWifiConnection_ = wifi; }
    QString description() const { return QStringLiteral("AMDevice('%1')").arg(deviceName_); }

private:
    explicit AMDevice(const AMDeviceRef &handle) : device_(handle) {}
    // The unlocked forms, for use inside a serialised call.
    bool connectLocked();
    bool disconnectLocked();
    bool startSessionLocked();
    bool stopSessionLocked();
    QVariant valueLocked(const QString &key, const QString &domain);

    mutable std::recursive_mutex mutex_;
    AMDeviceRef device_;
    QString lasterror_;
    QString deviceName_, udid_, serialNumber_, deviceClass_, productType_, productVersion_;
    QVariant totalDiskCapacity_;
    bool isNeedInputPassCode_ = false;
    bool connected_ = false;
    bool insession_ = false;
    bool isWifiConnection_ = false;
};
