#pragma once

#include "AFCDirectoryAccess.h"
#include "AMDevice.h"

#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>

// The device information of a device record: the device's property set
// copied once into plain fields when the record is made, the family code of
// its product type, the jailbreak test (the root file service opens), and
// disk-usage and battery readers that ask the device again on every call.
//
// The string fields are read-only after construction; the readers may run
// on any thread at once (they share the device object, which serialises its
// calls) and remember their last answer in atomics.
class NVXDeviceBaseInfo {
public:
    // Bytes kept free on the device when reporting available space.
    static constexpr qint64 kFreeSpaceReserve = 10485760;

    // Reads the property set through one connection and session and probes
    // "com.apple.afc2" (kept open for the life of the information).
    explicit NVXDeviceBaseInfo(std::shared_ptr<AMDevice> device);
    ~NVXDeviceBaseInfo();
    NVXDeviceBaseInfo(const NVXDeviceBaseInfo &) = delete;
    NVXDeviceBaseInfo &operator=(const NVXDeviceBaseInfo &) = delete;

    // Family code of a product type (exact match; 0 for an unknown type) and
    // the text of a family code ("Unknown" outside the table).
    static int familyOfProductType(const QString &productType);
    static QString familyString(int family);

    int family() const { return _family; }
    QString getIPodFamilyString() const { return familyString(_family); }

    const std::shared_ptr<AMDevice> &device() const { return _device; }
    bool isIOSDevice() const { return _isIOSDevice; }
    bool isJailbreak() const { return _isJailbreak; }
    bool isWifiConnect() const { return _device && _device->isWifiConnection(); }
    bool airSync() const { return _airSync; }
    QString deviceName() const { return _deviceName; }
    QString productVersion() const { return _productVersion; }
    QString deviceClass() const { return _deviceClass; }
    QString firmwareVersion() const { return _firmwareVersion; }
    QString serialNumber() const { return _serialNumber; }
    QString firewireID() const { return _firewireID; }
    QString serialNumberForHashing() const { return _serialNumberForHashing; }
    QString productType() const { return _productType; }
    QString phoneNumber() const { return _phoneNumber; }
    QString uniqueChipID() const { return _uniqueChipID; }
    QString deviceColor() const { return _deviceColor; }
    QString activationState() const { return _activationState; }
    QString bluetoothAddress() const { return _bluetoothAddress; }
    QString regionInfo() const { return _regionInfo; }
    QString simStatus() const { return _simStatus; }
    QString timeZone() const { return _timeZone; }
    qint32 timeZoneOffsetFromUTC() const { return _timeZoneOffsetFromUTC; }
    QString wifiAddress() const { return _wifiAddress; }
    AFCDirectoryAccess *rootDir() const { return _rootDir.get(); }
    void setRootDir(std::unique_ptr<AFCDirectoryAccess> rootDir);

    // Disk usage in bytes. Each reader first asks the device to recompute
    // its usage, then reads the value of "com.apple.disk_usage"; 0 when the
    // value cannot be read.
    qint64 totalDataAvailable();
    qint64 totalDiskCapacity();
    qint64 totalSize();
    qint64 totalDataCapacity();
    qint64 totalSystemAvailable();
    qint64 totalSystemCapacity();
    qint64 mobileApplicationUsage();
    // totalDataAvailable() less the 10 MiB reserve (never below 0).
    qint64 availableFreeSpace();
    // True when the device answers "OkilyDokily" to "CalculateDiskUsage".
    bool refreshDiskUsage();

    bool isBarreyCharging();
    qint32 currentCapacity();

private:
    qint64 diskUsage(const char *key, std::atomic<qint64> &field);

    QVariantMap deviceBaseInfo;
    std::shared_ptr<AMDevice> _device;
    bool _isIOSDevice = true;
    bool _isJailbreak = false;
    bool _airSync = false;
    QString _deviceName;
    QString _productVersion;
    QString _deviceClass;
    QString _firmwareVersion;
    QString _serialNumber;
    QString _firewireID;
    QString _serialNumberForHashing;
    QString _productType;
    QString _phoneNumber;
    QString _uniqueChipID;
    QString _deviceColor;
    QString _activationState;
    QString _bluetoothAddress;
    QString _regionInfo;
    QString _simStatus;
    QString _timeZone;
    qint32 _timeZoneOffsetFromUTC = 0;
    QString _wifiAddress;
    std::atomic<bool> _isBarreyCharging{false};
    std::atomic<qint32> _currentCapacity{0};
    std::atomic<qint64> _availableFreeSpace{0};
    std::atomic<qint64> _totalSize{0};
    std::atomic<qint64> _totalDataAvailable{0};
    std::atomic<qint64> _totalDataCapacity{0};
    std::atomic<qint64> _totalDiskCapacity{0};
    std::atomic<qint64> _totalSystemAvailable{0};
    std::atomic<qint64> _totalSystemCapacity{0};
    std::atomic<qint64> _mobileApplicationUsage{0};
    std::unique_ptr<AFCDirectoryAccess> _rootDir;
    int _family = 0;
};
