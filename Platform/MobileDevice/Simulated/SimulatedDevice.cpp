#include "SimulatedDevice.h"

#include "MobileDeviceStatus.h"
#include "PropertyList.h"
#include "SimulatedHouseArrest.h"

#include <QDir>
#include <QFileInfo>

using namespace MobileDeviceStatus;

std::shared_ptr<SimulatedDevice> SimulatedDevice::open(const QString &folder, QString *error)
{
    const QVariant plist = PropertyList::readFile(folder + QStringLiteral("/device.plist"));
    if (plist.typeId() != QMetaType::QVariantMap) {
        if (error)
            *error = QStringLiteral("%1 has no readable device.plist").arg(folder);
        return nullptr;
    }
    const QVariantMap root = plist.toMap();
    std::shared_ptr<SimulatedDevice> d(new SimulatedDevice);
    d->folder_ = QFileInfo(folder).absoluteFilePath();
    d->values_ = root.value(QStringLiteral("Values")).toMap();
    d->domains_ = root.value(QStringLiteral("Domains")).toMap();
    d->locked_ = root.value(QStringLiteral("PasscodeLocked")).toBool();
    d->interfaceType_ = root.value(QStringLiteral("InterfaceType"), 1).toInt();
    d->services_ = root.value(QStringLiteral("Services")).toStringList();
    if (d->services_.isEmpty())
        d->services_ = {QStringLiteral("com.apple.afc")};
    return d;
}

std::uint32_t SimulatedDevice::connect()
{
    std::lock_guard lock(mutex_);
    if (isDetached())
        return kDeviceGone;
    connected_ = true;
    return kSuccess;
}

std::uint32_t SimulatedDevice::disconnect()
{
    std::lock_guard lock(mutex_);
    connected_ = false;
    inSession_ = false;
    return isDetached() ? kDeviceGone : kSuccess;
}

std::uint32_t SimulatedDevice::startSession()
{
    std::lock_guard lock(mutex_);
    if (isDetached())
        return kDeviceGone;
    if (!connected_)
        return kNotConnected;
    if (locked_)
        return kPasscodeLocked;
    inSession_ = true;
    return kSuccess;
}

std::uint32_t SimulatedDevice::stopSession()
{
    std::lock_guard lock(mutex_);
    if (isDetached())
        return kDeviceGone;
    if (!inSession_)
        return kNotConnected;
    inSession_ = false;
    return kSuccess;
}

QVariant SimulatedDevice::copyValue(const QString &domain, const QString &key) const
{
    if (isDetached())
        return {};
    const QVariantMap values = domain.isEmpty() ? values_ : domains_.value(domain).toMap();
    if (key.isEmpty())
        return domain.isEmpty() || domains_.contains(domain) ? QVariant(values) : QVariant();
    return values.value(key);
}

std::uint32_t SimulatedDevice::startFileService(const QString &name, std::shared_ptr<AfcConnection> *connection)
{
    connection->reset();
    {
        std::lock_guard lock(mutex_);
        if (isDetached())
            return kDeviceGone;
        if (!inSession_)
            return kNotConnected;
    }
    if (!services_.contains(name))
        return kServiceNotFound;
    QString root;
    if (name == QLatin1String("com.apple.afc"))
        root = folder_ + QStringLiteral("/Media");
    else if (name == QLatin1String("com.apple.afc2"))
        root = QFileInfo::exists(folder_ + QStringLiteral("/Root")) ? folder_ + QStringLiteral("/Root") : folder_;
    else if (name == QLatin1String("com.apple.crashreportcopymobile"))
        root = folder_ + QStringLiteral("/CrashReports");
    else
        return kServiceNotFound; // not a file service
    QDir().mkpath(root);
    *connection = std::make_shared<SimulatedAfcConnection>(root, faults_);
    return kSuccess;
}

std::uint32_t SimulatedDevice::startChannelService(const QString &name, std::shared_ptr<ServiceChannel> *channel)
{
    channel->reset();
    {
        std::lock_guard lock(mutex_);
        if (isDetached())
            return kDeviceGone;
        if (!inSession_)
            return kNotConnected;
    }
    if (!services_.contains(name) || name != QLatin1String("com.apple.mobile.house_arrest"))
        return kServiceNotFound;
    *channel = std::make_shared<SimulatedHouseArrest>(folder_, faults_);
    return kSuccess;
}
