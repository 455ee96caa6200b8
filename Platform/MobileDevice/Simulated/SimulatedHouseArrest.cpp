#include "SimulatedHouseArrest.h"

#include "MobileDeviceStatus.h"
#include "PropertyList.h"
#include "SimulatedAfcConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

SimulatedHouseArrest::SimulatedHouseArrest(const QString &deviceFolder, std::shared_ptr<SimulatedFaults> faults)
    : deviceFolder_(deviceFolder), faults_(std::move(faults))
{
}

qint64 SimulatedHouseArrest::send(const char *data, qint64 length)
{
    if (faults_->detached.load())
        return -1;
    std::lock_guard lock(mutex_);
    input_.append(data, length);
    while (input_.size() >= 4) {
        const quint32 size = qFromBigEndian<quint32>(input_.constData());
        if (input_.size() < qsizetype(4 + size))
            break;
        const QByteArray request = input_.mid(4, size);
        input_.remove(0, 4 + size);
        answer(request);
    }
    return length;
}

void SimulatedHouseArrest::answer(const QByteArray &request)
{
    const QVariantMap r = PropertyList::fromData(request).toMap();
    QVariantMap reply;
    const QString id = r.value(QStringLiteral("Identifier")).toString();
    // The identifier names one folder: nothing that could walk elsewhere.
    const bool plainName = !id.isEmpty() && !id.contains(QLatin1Char('/')) && id != QLatin1String("..") &&
                           id != QLatin1String(".");
    const QString container = deviceFolder_ + QStringLiteral("/Applications/") + id;
    if (r.value(QStringLiteral("Command")).toString() != QLatin1String("VendContainer"))
        reply.insert(QStringLiteral("Error"), QStringLiteral("InvalidCommand"));
    else if (!plainName || !QFileInfo(container).isDir())
        reply.insert(QStringLiteral("Error"), QStringLiteral("ApplicationLookupFailed"));
    else {
        container_ = container;
        reply.insert(QStringLiteral("Status"), QStringLiteral("Complete"));
    }
    const QByteArray xml = PropertyList::toXml(reply);
    char size[4];
    qToBigEndian<quint32>(quint32(xml.size()), size);
    output_.append(size, 4);
    output_.append(xml);
}

qint64 SimulatedHouseArrest::receive(char *buffer, qint64 length)
{
    if (faults_->detached.load())
        return -1;
    std::lock_guard lock(mutex_);
    const qint64 n = std::min<qint64>(length, output_.size());
    std::memcpy(buffer, output_.constData(), size_t(n));
    output_.remove(0, n);
    return n;
}

std::uint32_t SimulatedHouseArrest::openFileService(std::shared_ptr<AfcConnection> *connection)
{
    std::lock_guard lock(mutex_);
    if (container_.isEmpty())
        return MobileDeviceStatus::kAfcNotConnected;
    *connection = std::make_shared<SimulatedAfcConnection>(container_, faults_);
    return MobileDeviceStatus::kSuccess;
}
