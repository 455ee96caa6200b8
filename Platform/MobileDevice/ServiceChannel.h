#pragma once

#include "AfcConnection.h"

#include <QtGlobal>

#include <cstdint>
#include <memory>

// The byte stream of a started device service (the "socket"). Services
// that hand out a file system after a request (an application's container)
// open it on the same channel.
class ServiceChannel {
public:
    virtual ~ServiceChannel() = default;
    // Bytes accepted, -1 when the channel failed.
    virtual qint64 send(const char *data, qint64 length) = 0;
    // Bytes received (blocking until some are there), 0 when the stream
    // ended, -1 on failure.
    virtual qint64 receive(char *buffer, qint64 length) = 0;
    virtual std::uint32_t openFileService(std::shared_ptr<AfcConnection> *connection) = 0;
};
