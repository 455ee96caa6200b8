#include "AMService.h"

#include "PropertyList.h"

#include <QtEndian>

std::unique_ptr<AMService> AMService::serviceWithName(const QString &name, const std::shared_ptr<AMDevice> &device)
{
    if (!device)
        return nullptr;
    AMServiceRef handle = device->newServiceHandle(name);
    if (!handle)
        return nullptr;
    return std::make_unique<AMService>(std::move(handle));
}

bool AMService::sendXMLRequest(const QVariant &message)
{
    const QByteArray xml = PropertyList::toXml(message);
    if (xml.isEmpty()) {
        lasterror_ = QStringLiteral("Can't convert request to XML");
        return false;
    }
    char size[4];
    qToBigEndian<quint32>(quint32(xml.size()), size);
    if (AMServiceSend(handle_, size, 4) != 4) {
        lasterror_ = QStringLiteral("Can't send message size");
        return false;
    }
    if (AMServiceSend(handle_, xml.constData(), xml.size()) != xml.size()) {
        lasterror_ = QStringLiteral("Can't send message text");
        return false;
    }
    lasterror_.clear();
    return true;
}

qint64 AMService::receiveAll(char *buffer, qint64 length)
{
    qint64 got = 0;
    while (got < length) {
        const qint64 n = AMServiceReceive(handle_, buffer + got, length - got);
        if (n <= 0)
            break;
        got += n;
    }
    return length - got;
}

QVariant AMService::readXMLReply()
{
    char size[4];
    if (receiveAll(size, 4) != 0) {
        lasterror_ = QStringLiteral("Can't receive reply size");
        return {};
    }
    const quint32 length = qFromBigEndian<quint32>(size);
    if (length == 0)
        return {};
    // A length beyond any reply a service sends is a broken stream, not a
    // reason to reserve gigabytes.
    constexpr quint32 kMaxReply = 64u * 1024 * 1024;
    if (length > kMaxReply) {
        lasterror_ = QStringLiteral("Reply was truncated, expected %1 more bytes").arg(length);
        return {};
    }
    QByteArray data(qsizetype(length), '\0');
    if (const qint64 missing = receiveAll(data.data(), length); missing != 0) {
        lasterror_ = QStringLiteral("Reply was truncated, expected %1 more bytes").arg(missing);
        return {};
    }
    const QVariant reply = PropertyList::fromData(data);
    if (reply.isValid())
        lasterror_.clear();
    return reply;
}
