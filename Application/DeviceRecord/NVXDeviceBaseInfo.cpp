#include "NVXDeviceBaseInfo.h"


namespace {

const QString kDiskUsage = QStringLiteral("com.apple.disk_usage");
const QString kBattery = QStringLiteral("com.apple.mobile.battery");

struct FamilyRow {
    int code;
    const char *text;
    std::initializer_list<const char *> productTypes;
};

const std::initializer_list<FamilyRow> &familyTable()
{
    static const std::initializer_list<FamilyRow> table = {
        {1001, "iPod_Touch_1", {"iPod1,1"}},
        {1002, "iPod_Touch_2", {"iPod2,1"}},
        {1003, "iPod_Touch_3", {"iPod3,1"}},
        {1004, "iPod_Touch_4", {"iPod4,1"}},
        {1005, "iPod_Touch_5", {"iPod5,1"}},
        {2001, "iPhone", {"iPhone1,1"}},
        {2002, "iPhone_3G", {"iPhone1,2"}},
        {2003, "iPhone_3GS", {"iPhone2,1"}},
        {2004, "iPhone_4", {"iPhone3,1", "iPhone3,2", "iPhone3,3"}},
        {2005, "iPhone_4S", {"iPhone4,1"}},
        {2006, "iPhone_5", {"iPhone5,1", "iPhone5,2"}},
        {2007, "iPhone_5C", {"iPhone5,3", "iPhone5,4"}},
        {2008, "iPhone_5S", {"iPhone6,1", "iPhone6,2"}},
        {2009, "iPhone_6", {"iPhone7,2"}},
        {2010, "iPhone_6_Plus", {"iPhone7,1"}},
        {3001, "iPad_1", {"iPad1,1"}},
        {3002, "iPad_2", {"iPad2,1", "iPad2,2", "iPad2,3", "iPad2,4"}},
        {3003, "The_New_iPad", {"iPad3,1", "iPad3,2", "iPad3,3"}},
        {3004, "iPad_4", {"iPad3,4"}},
        {3005, "iPad_Air", {"iPad4,1", "iPad4,2", "iPad4,3"}},
        {3006, "iPad_Air2", {"iPad5,3", "iPad5,4"}},
        {4001, "iPad_mini", {"iPad2,5", "iPad2,6", "iPad2,7"}},
        {4002, "iPad_mini_2", {"iPad4,4", "iPad4,5"}},
        {4003, "iPad_mini_3", {"iPad4,7", "iPad4,8", "iPad4,9"}},
        {0, "iPod_Unknown", {}},
    };
    return table;
}

// A 64-bit number from a device value; 0 for a missing or non-numeric one.
qint64 toBytes(const QVariant &value)
{
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    return ok ? n : 0;
}

} // namespace

NVXDeviceBaseInfo::NVXDeviceBaseInfo(std::shared_ptr<AMDevice> device) : _device(std::move(device))
{
    if (!_device)
        return;
    // Only a jailbroken device offers the root file service.
    _rootDir = AFCRootDirectory::open(_device);
    _isJailbreak = _rootDir != nullptr;
    _isIOSDevice = true;

    deviceBaseInfo = _device->getDeviceInfo();
    auto text = [&](const char *key) {
        const QVariant v = deviceBaseInfo.value(QString::fromLatin1(key));
        return v.isValid() ? v.toString() : QString();
    };
    _airSync = deviceBaseInfo.value(QStringLiteral("AirSync")).toBool();
    _deviceName = text("DeviceName");
    _productVersion = text("ProductVersion");
    _deviceClass = text("DeviceClass");
    _firmwareVersion = text("FirmwareVersion");
    _serialNumber = text("SerialNumber");
    _firewireID = text("FirewireID");
    _serialNumberForHashing = text("SerialNumberForHashing");
    _productType = text("ProductType");
    _phoneNumber = text("PhoneNumber");
    _uniqueChipID = text("UniqueDeviceID");
    _deviceColor = text("DeviceColor");
    _activationState = text("ActivationState");
    _bluetoothAddress = text("BluetoothAddress");
    _regionInfo = text("RegionInfo");
    _simStatus = text("SIMStatus");
    _timeZone = text("TimeZone");
    _timeZoneOffsetFromUTC = deviceBaseInfo.value(QStringLiteral("TimeZoneOffsetFromUTC")).toInt();
    _wifiAddress = text("WiFiAddress");
    _family = familyOfProductType(_productType);
}

NVXDeviceBaseInfo::~NVXDeviceBaseInfo()
{
    if (_rootDir)
        _rootDir->close();
}

void NVXDeviceBaseInfo::setRootDir(std::unique_ptr<AFCDirectoryAccess> rootDir)
{
    if (_rootDir)
        _rootDir->close();
    _rootDir = std::move(rootDir);
}

int NVXDeviceBaseInfo::familyOfProductType(const QString &productType)
{
    for (const FamilyRow &row : familyTable()) {
        for (const char *type : row.productTypes) {
            if (productType == QLatin1String(type))
                return row.code;
        }
    }
    return 0;
}

QString NVXDeviceBaseInfo::familyString(int family)
{
    for (const FamilyRow &row : familyTable()) {
        if (row.code == family)
            return QString::fromLatin1(row.text);
    }
    return QStringLiteral("Unknown");
}

bool NVXDeviceBaseInfo::refreshDiskUsage()
{
    if (!_device)
        return false;
    return _device->deviceValueForKey(QStringLiteral("CalculateDiskUsage"), kDiskUsage).toString() ==
           QLatin1String("OkilyDokily");
}

qint64 NVXDeviceBaseInfo::diskUsage(const char *key, std::atomic<qint64> &field)
{
    if (!_device)
        return 0;
    refreshDiskUsage();
    const qint64 bytes = toBytes(_device->deviceValueForKey(QString::fromLatin1(key), kDiskUsage));
    field.store(bytes);
    return bytes;
}

qint64 NVXDeviceBaseInfo::totalDataAvailable() { return diskUsage("TotalDataAvailable", _totalDataAvailable); }
qint64 NVXDeviceBaseInfo::totalDiskCapacity() { return diskUsage("TotalDiskCapacity", _totalDiskCapacity); }
qint64 NVXDeviceBaseInfo::totalSize() { return diskUsage("TotalDiskCapacity", _totalSize); }
qint64 NVXDeviceBaseInfo::totalDataCapacity() { return diskUsage("TotalDataCapacity", _totalDataCapacity); }
qint64 NVXDeviceBaseInfo::totalSystemAvailable() { return diskUsage("TotalSystemAvailable", _totalSystemAvailable); }
qint64 NVXDeviceBaseInfo::totalSystemCapacity() { return diskUsage("TotalSystemCapacity", _totalSystemCapacity); }
qint64 NVXDeviceBaseInfo::mobileApplicationUsage()
{
    return diskUsage("MobileApplicationUsage", _mobileApplicationUsage);
}

qint64 NVXDeviceBaseInfo::availableFreeSpace()
{
    // Never negative: a device with less than the reserve has no room.
    const qint64 free = std::max<qint64>(0, totalDataAvailable() - kFreeSpaceReserve);
    _availableFreeSpace.store(free);
    return free;
}

bool NVXDeviceBaseInfo::isBarreyCharging()
{
    const bool charging =
        _device && _device->deviceValueForKey(QStringLiteral("BatteryIsCharging"), kBattery).toBool();
    _isBarreyCharging.store(charging);
    return charging;
}

qint32 NVXDeviceBaseInfo::currentCapacity()
{
    const qint32 level =
        _device ? _device->deviceValueForKey(QStringLiteral("BatteryCurrentCapacity"), kBattery).toInt() : 0;
    _currentCapacity.store(level);
    return level;
}
