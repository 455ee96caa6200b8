#pragma once

#include "AMDevice.h"
#include "NVXDeviceBaseInfo.h"
#include "NVXSession.h"

#include <QString>

#include <memory>
#include <mutex>

class NVXLogManager;

// The device record every part receives: the device object, the device
// information read when the record was made, the registry key (the serial
// number) and the working folder. Shared: a worker that still holds a record
// after the device left keeps it alive, and its device calls then fail.
class NVXIPod {
public:
    // Reads the device information (which talks to the device several
    // times) and makes the working folder.
    explicit NVXIPod(std::shared_ptr<AMDevice> device);
    NVXIPod(const NVXIPod &) = delete;
    NVXIPod &operator=(const NVXIPod &) = delete;

    const std::shared_ptr<AMDevice> &deviceHandle() const { return _deviceHandle; }
    NVXDeviceBaseInfo *deviceInfo() const { return _deviceInfo.get(); }
    NVXSession *session() const { return _session.get(); }
    QString uniqueKey() const;
    void setUniqueKey(const QString &key);

private:
    std::shared_ptr<AMDevice> _deviceHandle;
    std::unique_ptr<NVXDeviceBaseInfo> _deviceInfo;
    mutable std::mutex keyMutex_;
    QString _uniqueKey;
    std::unique_ptr<NVXSession> _session;
    NVXLogManager *logHandle;
};

using NVXIPodPtr = std::shared_ptr<NVXIPod>;
