#pragma once

#include "AfcConnection.h"
#include "ServiceChannel.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>

// One attached device as a backend offers it. Calls answer the statuses of
// MobileDeviceStatus; a device that has left fails every call.
class BackendDevice {
public:
    virtual ~BackendDevice() = default;

    virtual int interfaceType() const = 0; // 2 Wi-Fi, anything else USB
    virtual std::uint32_t connect() = 0;
    virtual std::uint32_t disconnect() = 0;
    virtual std::uint32_t startSession() = 0;
    virtual std::uint32_t stopSession() = 0;
    // A copy of the value or an invalid variant; an empty domain means no
    // domain, an empty key the whole domain.
    virtual QVariant copyValue(const QString &domain, const QString &key) const = 0;
    // Starts a file service and opens its connection.
    virtual std::uint32_t startFileService(const QString &name, std::shared_ptr<AfcConnection> *connection) = 0;
    // Starts a service that talks over its channel (property-list messages).
    virtual std::uint32_t startChannelService(const QString &name, std::shared_ptr<ServiceChannel> *channel) = 0;
};
