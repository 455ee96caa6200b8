#include "NVXIpodPool.h"

#include "HandsetGate.h"
#include "Localization.h"
#include "NVXBaseInfo.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

NVXIpodPool &NVXIpodPool::singleton()
{
    static NVXIpodPool pool; // thread-safe first construction
    return pool;
}

void NVXIpodPool::startListen() { HandsetGate::singleton().setListener(this); }

void NVXIpodPool::stopListen() { HandsetGate::singleton().stopListener(); }

void NVXIpodPool::addIPodByKey(const NVXIPodPtr &ipod, const QString &ipodKey)
{
    if (!ipod || ipodKey.isNull())
        return;
    std::lock_guard lock(mutex_);
    _ipodPool.insert(ipodKey, ipod); // replaces an earlier record of the key
}

void NVXIpodPool::removeIPodByKey(const QString &key)
{
    if (key.isNull())
        return;
    NVXIPodPtr removed;
    {
        std::lock_guard lock(mutex_);
        removed = _ipodPool.take(key);
    }
    if (!removed)
        return;
    // Only a folder the session itself computed is deleted; a record of an
    // unusable serial number has none.
    const QString folder = removed->session() ? removed->session()->sessionFolderPath() : QString();
    if (!folder.isEmpty()) {
        const QFileInfo info(folder);
        if (info.isSymLink() || info.isFile())
            QFile::remove(folder);
        else if (info.isDir())
            QDir(folder).removeRecursively();
    }
}

NVXIPodPtr NVXIpodPool::getIPodByKey(const QString &key) const
{
    std::lock_guard lock(mutex_);
    return _ipodPool.value(key);
}

bool NVXIpodPool::checkIPodExsit(const QString &key) const
{
    std::lock_guard lock(mutex_);
    return _ipodPool.contains(key);
}

int NVXIpodPool::getConnectedDeviceCount() const
{
    std::lock_guard lock(mutex_);
    return int(_ipodPool.size());
}

QList<NVXIPodPtr> NVXIpodPool::getAllConnectedIPod() const
{
    std::lock_guard lock(mutex_);
    return _ipodPool.values();
}

NVXIPodPtr NVXIpodPool::getNextConnectedIpod() const
{
    std::lock_guard lock(mutex_);
    for (const NVXIPodPtr &ipod : _ipodPool) {
        if (ipod->deviceInfo()->isIOSDevice())
            return ipod;
    }
    return nullptr;
}

void NVXIpodPool::deviceConnected(const std::shared_ptr<AMDevice> &device)
{
    if (!device)
        return;
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    if (device->isNeedInputPassCode()) {
        nc.postValue(QStringLiteral("Device_Need_Passcode"), Localization::text("NoconectView_Need_Passcode"));
        return;
    }
    auto ipod = std::make_shared<NVXIPod>(device);
    const QString serial = device->serialNumber();
    ipod->setUniqueKey(serial);
    addIPodByKey(ipod, serial);

    NVXBaseInfo info;
    info.setUniqueKey(serial);
    info.setDeviceName(device->deviceName());
    info.setConnectType(QStringLiteral(""));
    nc.post(QStringLiteral("Device_Connected"), nullptr,
            QVariantMap{{QStringLiteral("DeviceInfo"), QVariant::fromValue(info)}});
}

void NVXIpodPool::deviceDisconnected(const std::shared_ptr<AMDevice> &device)
{
    const QString key = device ? device->serialNumber() : QString();
    removeIPodByKey(key);
    // A null key (a locked device has none) is posted too; it matches no record.
    NotificationCenter::defaultCenter().postValue(QStringLiteral("Device_DisConnected"), key);
}

void NVXIpodPool::applicationWillTerminate()
{
    std::lock_guard lock(mutex_);
    _ipodPool.clear();
}
