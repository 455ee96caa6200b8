#include "MobileDevice.h"

#include <atomic>

using namespace MobileDeviceStatus;

namespace {
std::atomic<DeviceBackend *> gBackend{nullptr};
}

void MobileDevice::setBackend(DeviceBackend *backend) { gBackend.store(backend); }
DeviceBackend *MobileDevice::backend() { return gBackend.load(); }

std::uint32_t AMDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, unsigned, unsigned,
                                            void *context, AMDeviceNotificationRef *subscription)
{
    *subscription = 0;
    DeviceBackend *b = MobileDevice::backend();
    if (!b || !callback)
        return kNotConnected;
    *subscription = b->subscribe([callback, context](const std::shared_ptr<BackendDevice> &d,
                                                     DeviceBackend::Message m) {
        callback(AMDeviceNotificationInfo{d, int(m)}, context);
    });
    return *subscription ? kSuccess : kNotConnected;
}

std::uint32_t AMDeviceNotificationUnsubscribe(AMDeviceNotificationRef subscription)
{
    DeviceBackend *b = MobileDevice::backend();
    if (!b || !subscription)
        return kNotConnected;
    b->unsubscribe(subscription);
    return kSuccess;
}

int AMDeviceGetInterfaceType(const AMDeviceRef &device) { return device ? device->interfaceType() : 0; }
std::uint32_t AMDeviceConnect(const AMDeviceRef &device) { return device ? device->connect() : kDeviceGone; }
std::uint32_t AMDeviceDisconnect(const AMDeviceRef &device) { return device ? device->disconnect() : kDeviceGone; }
std::uint32_t AMDeviceStartSession(const AMDeviceRef &device)
{
    return device ? device->startSession() : kDeviceGone;
}
std::uint32_t AMDeviceStopSession(const AMDeviceRef &device) { return device ? device->stopSession() : kDeviceGone; }

QVariant AMDeviceCopyValue(const AMDeviceRef &device, const QString &domain, const QString &key)
{
    return device ? device->copyValue(domain, key) : QVariant();
}

std::uint32_t AMDeviceStartService(const AMDeviceRef &device, const QString &name, AMServiceRef *service)
{
    service->reset();
    if (!device)
        return kDeviceGone;
    AFCConnectionRef afc;
    std::uint32_t status = device->startFileService(name, &afc);
    if (status == kSuccess) {
        *service = std::make_shared<AMDServiceHandle>(AMDServiceHandle{name, afc, nullptr});
        return kSuccess;
    }
    std::shared_ptr<ServiceChannel> channel;
    if (device->startChannelService(name, &channel) == kSuccess) {
        *service = std::make_shared<AMDServiceHandle>(AMDServiceHandle{name, nullptr, channel});
        return kSuccess;
    }
    return status;
}

qint64 AMServiceSend(const AMServiceRef &service, const char *data, qint64 length)
{
    return service && service->channel ? service->channel->send(data, length) : -1;
}

qint64 AMServiceReceive(const AMServiceRef &service, char *buffer, qint64 length)
{
    return service && service->channel ? service->channel->receive(buffer, length) : -1;
}

std::uint32_t AFCConnectionOpen(const AMServiceRef &service, unsigned, AFCConnectionRef *connection)
{
    connection->reset();
    if (!service)
        return kAfcNotConnected;
    if (service->fileService) {
        *connection = service->fileService;
        return kSuccess;
    }
    return service->channel ? service->channel->openFileService(connection) : kAfcNotConnected;
}

std::uint32_t AFCConnectionClose(AFCConnectionRef &connection)
{
    if (!connection)
        return kAfcNotConnected;
    connection.reset();
    return kSuccess;
}

#define SNAPVALE_AFC_CALL(conn, call) ((conn) ? (conn)->call : kAfcNotConnected)

std::uint32_t AFCFileInfoOpen(const AFCConnectionRef &c, const QString &path, QMap<QString, QString> *info)
{
    return SNAPVALE_AFC_CALL(c, fileInfo(path, info));
}
std::uint32_t AFCDeviceInfoOpen(const AFCConnectionRef &c, QMap<QString, QString> *info)
{
    return SNAPVALE_AFC_CALL(c, deviceInfo(info));
}
std::uint32_t AFCDirectoryRead(const AFCConnectionRef &c, const QString &path, QStringList *names)
{
    return SNAPVALE_AFC_CALL(c, readDirectory(path, names));
}
std::uint32_t AFCDirectoryCreate(const AFCConnectionRef &c, const QString &path)
{
    return SNAPVALE_AFC_CALL(c, makeDirectory(path));
}
std::uint32_t AFCRemovePath(const AFCConnectionRef &c, const QString &path)
{
    return SNAPVALE_AFC_CALL(c, removePath(path));
}
std::uint32_t AFCRenamePath(const AFCConnectionRef &c, const QString &from, const QString &to)
{
    return SNAPVALE_AFC_CALL(c, renamePath(from, to));
}
std::uint32_t AFCLinkPath(const AFCConnectionRef &c, std::uint64_t type, const QString &target, const QString &link)
{
    return SNAPVALE_AFC_CALL(c, linkPath(type, target, link));
}
std::uint32_t AFCFileRefOpen(const AFCConnectionRef &c, const QString &path, std::uint64_t mode, std::uint64_t *ref)
{
    *ref = 0;
    return SNAPVALE_AFC_CALL(c, fileOpen(path, mode, ref));
}
std::uint32_t AFCFileRefRead(const AFCConnectionRef &c, std::uint64_t ref, char *buffer, std::uint32_t *length)
{
    if (!c)
        *length = 0;
    return SNAPVALE_AFC_CALL(c, fileRead(ref, buffer, length));
}
std::uint32_t AFCFileRefWrite(const AFCConnectionRef &c, std::uint64_t ref, const char *buffer, std::uint32_t length)
{
    return SNAPVALE_AFC_CALL(c, fileWrite(ref, buffer, length));
}
std::uint32_t AFCFileRefClose(const AFCConnectionRef &c, std::uint64_t ref)
{
    return SNAPVALE_AFC_CALL(c, fileClose(ref));
}

std::uint32_t AFCFileRefSeek(const AFCConnectionRef &c, std::uint64_t ref, qint64 offset, int whence)
{
    return SNAPVALE_AFC_CALL(c, fileSeek(ref, offset, whence));
}
std::uint32_t AFCFileRefTell(const AFCConnectionRef &c, std::uint64_t ref, std::uint64_t *position)
{
    return SNAPVALE_AFC_CALL(c, fileTell(ref, position));
}
std::uint32_t AFCFileRefSetFileSize(const AFCConnectionRef &c, std::uint64_t ref, std::uint64_t size)
{
    return SNAPVALE_AFC_CALL(c, fileSetSize(ref, size));
}
std::uint32_t AFCFileRefLock(const AFCConnectionRef &c, std::uint64_t ref, std::uint64_t operation)
{
    return SNAPVALE_AFC_CALL(c, fileLock(ref, operation));
}
std::uint32_t AFCFileRefUnlock(const AFCConnectionRef &c, std::uint64_t ref)
{
    return SNAPVALE_AFC_CALL(c, fileLock(ref, 8));
}
std::uint32_t AFCSetModTime(const AFCConnectionRef &c, const QString &path, std::uint64_t nanoseconds)
{
    return SNAPVALE_AFC_CALL(c, setModTime(path, nanoseconds));
}
QString AFCGetClientVersionString() { return QStringLiteral("Snapvale-AFC-1.0"); }

#undef SNAPVALE_AFC_CALL
