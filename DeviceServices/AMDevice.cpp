#include "AMDevice.h"

#include <cstdio>

using namespace MobileDeviceStatus;

std::shared_ptr<AMDevice> AMDevice::deviceFrom(const AMDeviceRef &handle)
{
    std::shared_ptr<AMDevice> d(new AMDevice(handle));
    if (!d->deviceConnect()) {
        std::fprintf(stderr, "Failed to create AMDevice: %s\n", d->lasterror().toUtf8().constData());
        d->device_.reset();
        return nullptr;
    }
    d->deviceDisconnect();
    // Each read opens and closes its own connection and session; on a
    // locked device they all fail and the device is marked.
    d->deviceName_ = d->deviceValueForKey(QStringLiteral("DeviceName")).toString();
    d->udid_ = d->deviceValueForKey(QStringLiteral("UniqueDeviceID")).toString();
    d->productType_ = d->deviceValueForKey(QStringLiteral("ProductType")).toString();
    d->deviceClass_ = d->deviceValueForKey(QStringLiteral("DeviceClass")).toString();
    d->productVersion_ = d->deviceValueForKey(QStringLiteral("ProductVersion")).toString();
    d->serialNumber_ = d->deviceValueForKey(QStringLiteral("SerialNumber")).toString();
    d->totalDiskCapacity_ =
        d->deviceValueForKey(QStringLiteral("TotalDiskCapacity"), QStringLiteral("com.apple.disk_usage"));
    return d;
}

AMDevice::~AMDevice() { applicationWillTerminate(); }

bool AMDevice::checkStatus(std::uint32_t status, const char *call)
{
    std::lock_guard lock(mutex_);
    if (status == kSuccess) {
        lasterror_.clear();
        return true;
    }
    const QString hex = QString::number(status, 16);
    if (hex == QLatin1String("e8000025"))
        isNeedInputPassCode_ = true;
    lasterror_ = QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(call), hex);
    return false;
}

bool AMDevice::connectLocked()
{
    if (!device_)
        return checkStatus(kDeviceGone, "AMDeviceConnect");
    if (!checkStatus(AMDeviceConnect(device_), "AMDeviceConnect"))
        return false;
    connected_ = true;
    lasterror_.clear();
    return true;
}

bool AMDevice::disconnectLocked()
{
    const bool ok = device_ ? checkStatus(AMDeviceDisconnect(device_), "AMDeviceDisconnect")
                            : checkStatus(kDeviceGone, "AMDeviceDisconnect");
    if (ok)
        connected_ = false;
    return ok;
}

bool AMDevice::startSessionLocked()
{
    const bool ok = device_ ? checkStatus(AMDeviceStartSession(device_), "AMDeviceStartSession")
                            : checkStatus(kDeviceGone, "AMDeviceStartSession");
    if (ok)
        insession_ = true;
    return ok;
}

bool AMDevice::stopSessionLocked()
{
    const bool ok = device_ ? checkStatus(AMDeviceStopSession(device_), "AMDeviceStopSession")
                            : checkStatus(kDeviceGone, "AMDeviceStopSession");
    if (ok)
        insession_ = false;
    return ok;
}

bool AMDevice::deviceConnect()
{
    std::lock_guard lock(mutex_);
    return connectLocked();
}
bool AMDevice::deviceDisconnect()
{
    std::lock_guard lock(mutex_);
    return disconnectLocked();
}
bool AMDevice::startSession()
{
    std::lock_guard lock(mutex_);
    return startSessionLocked();
}
bool AMDevice::stopSession()
{
    std::lock_guard lock(mutex_);
    return stopSessionLocked();
}

QVariant AMDevice::valueLocked(const QString &key, const QString &domain)
{
    bool opened = false;
    if (!connected_) {
        if (!connectLocked())
            return {};
        opened = true;
    }
    QVariant value;
    if (insession_) {
        value = AMDeviceCopyValue(device_, domain, key);
    } else if (startSessionLocked()) {
        value = AMDeviceCopyValue(device_, domain, key);
        stopSessionLocked();
    }
    if (opened)
        disconnectLocked();
    return value;
}

QVariant AMDevice::deviceValueForKey(const QString &key, const QString &domain)
{
    std::lock_guard lock(mutex_);
    return valueLocked(key, domain);
}

QVariantMap AMDevice::allDeviceValuesForDomain(const QString &domain)
{
    return deviceValueForKey(QString(), domain).toMap();
}

QVariantMap AMDevice::getDeviceInfo()
{
    std::lock_guard lock(mutex_);
    QVariantMap info;
    bool connectedHere = false, sessionHere = false;
    if (!connected_) {
        if (!connectLocked())
            return info;
        connectedHere = true;
    }
    if (!insession_) {
        if (!startSessionLocked()) {
            if (connectedHere)
                disconnectLocked();
            return info;
        }
        sessionHere = true;
    }
    auto put = [&](const QString &name, const QVariant &value) {
        if (value.isValid())
            info.insert(name, value);
    };
    auto value = [&](const char *key) { return AMDeviceCopyValue(device_, QString(), QString::fromLatin1(key)); };
    put(QStringLiteral("DeviceName"), deviceName_.isNull() ? QVariant() : QVariant(deviceName_));
    put(QStringLiteral("AirSync"),
        AMDeviceCopyValue(device_, QStringLiteral("com.apple.mobile.iTunes"), QStringLiteral("SupportsAirTraffic")));
    for (const char *key : {"ProductVersion", "DeviceClass", "FirmwareVersion", "SerialNumber"})
        put(QString::fromLatin1(key), value(key));
    const QVariant udid = value("UniqueDeviceID");
    if (udid.isValid()) {
        // The first 16 characters, upper case (all of a shorter identifier).
        put(QStringLiteral("FirewireID"), udid.toString().left(16).toUpper());
        put(QStringLiteral("SerialNumberForHashing"), udid);
    }
    for (const char *key : {"ProductType", "PhoneNumber", "UniqueDeviceID", "DeviceColor", "ActivationState",
                            "BluetoothAddress", "RegionInfo", "SIMStatus", "TimeZone", "TimeZoneOffsetFromUTC",
                            "WiFiAddress"})
        put(QString::fromLatin1(key), value(key));
    if (sessionHere)
        stopSessionLocked();
    if (connectedHere)
        disconnectLocked();
    return info;
}

AMServiceRef AMDevice::newServiceHandle(const QString &serviceName)
{
    std::lock_guard lock(mutex_);
    if (!connectLocked())
        return nullptr;
    AMServiceRef service;
    if (startSessionLocked()) {
        const std::uint32_t status = AMDeviceStartService(device_, serviceName, &service);
        if (status != kSuccess) {
            std::fprintf(stderr, "AMDeviceStartService failed: %#x,%#x,%#x\n", status >> 26, (status >> 14) & 0xfff,
                         status & 0x3fff);
            checkStatus(status, "AMDeviceStartService");
        }
        stopSessionLocked();
    }
    disconnectLocked();
    return service;
}

AFCConnectionRef AMDevice::newFileService(const QString &serviceName)
{
    const AMServiceRef service = newServiceHandle(serviceName);
    AFCConnectionRef afc;
    if (service)
        AFCConnectionOpen(service, 0, &afc);
    return afc;
}

bool AMDevice::isDevice(const AMDeviceRef &handle) const
{
    std::lock_guard lock(mutex_);
    return device_ && device_ == handle;
}

void AMDevice::forgetDevice()
{
    std::lock_guard lock(mutex_);
    device_.reset();
}

void AMDevice::applicationWillTerminate()
{
    std::lock_guard lock(mutex_);
    if (!device_)
        return;
    if (insession_)
        stopSessionLocked();
    if (connected_)
        disconnectLocked();
}

QString AMDevice::lasterror() const
{
    std::lock_guard lock(mutex_);
    return lasterror_;
}

bool AMDevice::isNeedInputPassCode() const
{
    std::lock_guard lock(mutex_);
    return isNeedInputPassCode_;
}
