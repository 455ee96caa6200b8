#pragma once

#include "AMDevice.h"

#include <QString>
#include <QVariant>

#include <memory>

// A started device service that talks in property lists: each message is
// XML property-list data preceded by its length as a 4-byte big-endian
// integer. Failures leave their text in lasterror().
class AMService {
public:
    // Starts the service (plain) with a connection and session of its own;
    // nullptr when it cannot be started.
    static std::unique_ptr<AMService> serviceWithName(const QString &name, const std::shared_ptr<AMDevice> &device);
    explicit AMService(AMServiceRef handle) : handle_(std::move(handle)) {}

    bool sendXMLRequest(const QVariant &message);
    // The reply, or an invalid variant (a length of 0 too).
    QVariant readXMLReply();

    const AMServiceRef &handle() const { return handle_; }
    QString lasterror() const { return lasterror_; }
    void clearLastError() { lasterror_.clear(); }

private:
    // Receives exactly `length` bytes; the count still missing when the
    // stream ended or failed first.
    qint64 receiveAll(char *buffer, qint64 length);

    AMServiceRef handle_;
    QString lasterror_;
};
