#pragma once

// The device call set the device services are written against. Every call
// dispatches to the backend installed at start-up (MobileDevice::setBackend);
// statuses are those of MobileDeviceStatus, 0 meaning success. A null device
// or connection, or a device that has left, fails every call.

#include "AfcConnection.h"
#include "BackendDevice.h"
#include "DeviceBackend.h"
#include "MobileDeviceStatus.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>

using AMDeviceRef = std::shared_ptr<BackendDevice>;
using AFCConnectionRef = std::shared_ptr<AfcConnection>;
using AMDeviceNotificationRef = std::uint64_t;

// A started service of a device.
struct AMDServiceHandle {
    QString name;
    AFCConnectionRef fileService;            // set for file services
    std::shared_ptr<ServiceChannel> channel; // set for message services
};
using AMServiceRef = std::shared_ptr<AMDServiceHandle>;

struct AMDeviceNotificationInfo {
    AMDeviceRef device;
    int message; // 1 attached, 2 detached
};
using AMDeviceNotificationCallback = void (*)(const AMDeviceNotificationInfo &info, void *context);

namespace MobileDevice {
// Installs the backend every call goes to; the backend outlives its use.
void setBackend(DeviceBackend *backend);
DeviceBackend *backend();
} // namespace MobileDevice

std::uint32_t AMDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, unsigned unused1,
                                            unsigned unused2, void *context, AMDeviceNotificationRef *subscription);
std::uint32_t AMDeviceNotificationUnsubscribe(AMDeviceNotificationRef subscription);
int AMDeviceGetInterfaceType(const AMDeviceRef &device);
std::uint32_t AMDeviceConnect(const AMDeviceRef &device);
std::uint32_t AMDeviceDisconnect(const AMDeviceRef &device);
std::uint32_t AMDeviceStartSession(const AMDeviceRef &device);
std::uint32_t AMDeviceStopSession(const AMDeviceRef &device);
// Null domain or key: an empty string.
QVariant AMDeviceCopyValue(const AMDeviceRef &device, const QString &domain, const QString &key);
std::uint32_t AMDeviceStartService(const AMDeviceRef &device, const QString &name, AMServiceRef *service);
// The service's byte stream: bytes sent or received, 0 at its end, -1 on failure.
qint64 AMServiceSend(const AMServiceRef &service, const char *data, qint64 length);
qint64 AMServiceReceive(const AMServiceRef &service, char *buffer, qint64 length);

std::uint32_t AFCConnectionOpen(const AMServiceRef &service, unsigned timeout, AFCConnectionRef *connection);
std::uint32_t AFCConnectionClose(AFCConnectionRef &connection);
std::uint32_t AFCFileInfoOpen(const AFCConnectionRef &connection, const QString &path, QMap<QString, QString> *info);
std::uint32_t AFCDeviceInfoOpen(const AFCConnectionRef &connection, QMap<QString, QString> *info);
std::uint32_t AFCDirectoryRead(const AFCConnectionRef &connection, const QString &path, QStringList *names);
std::uint32_t AFCDirectoryCreate(const AFCConnectionRef &connection, const QString &path);
std::uint32_t AFCRemovePath(const AFCConnectionRef &connection, const QString &path);
std::uint32_t AFCRenamePath(const AFCConnectionRef &connection, const QString &from, const QString &to);
std::uint32_t AFCLinkPath(const AFCConnectionRef &connection, std::uint64_t type, const QString &target,
                          const QString &link);
std::uint32_t AFCFileRefOpen(const AFCConnectionRef &connection, const QString &path, std::uint64_t mode,
                             std::uint64_t *ref);
std::uint32_t AFCFileRefRead(const AFCConnectionRef &connection, std::uint64_t ref, char *buffer,
                             std::uint32_t *length);
std::uint32_t AFCFileRefWrite(const AFCConnectionRef &connection, std::uint64_t ref, const char *buffer,
                              std::uint32_t length);
std::uint32_t AFCFileRefClose(const AFCConnectionRef &connection, std::uint64_t ref);
std::uint32_t AFCFileRefSeek(const AFCConnectionRef &connection, std::uint64_t ref, qint64 offset, int whence);
std::uint32_t AFCFileRefTell(const AFCConnectionRef &connection, std::uint64_t ref, std::uint64_t *position);
std::uint32_t AFCFileRefSetFileSize(const AFCConnectionRef &connection, std::uint64_t ref, std::uint64_t size);
std::uint32_t AFCFileRefLock(const AFCConnectionRef &connection, std::uint64_t ref, std::uint64_t operation);
std::uint32_t AFCFileRefUnlock(const AFCConnectionRef &connection, std::uint64_t ref);
std::uint32_t AFCSetModTime(const AFCConnectionRef &connection, const QString &path, std::uint64_t nanoseconds);
// The version text of this file-service client.
QString AFCGetClientVersionString();
