#include "NVXIPod.h"

#include "NVXLogManager.h"

NVXIPod::NVXIPod(std::shared_ptr<AMDevice> device)
    : _deviceHandle(std::move(device)), _deviceInfo(std::make_unique<NVXDeviceBaseInfo>(_deviceHandle)),
      _session(std::make_unique<NVXSession>(this, _deviceInfo->serialNumber())), logHandle(&NVXLogManager::singleton())
{
}

QString NVXIPod::uniqueKey() const
{
    std::lock_guard lock(keyMutex_);
    return _uniqueKey;
}

void NVXIPod::setUniqueKey(const QString &key)
{
    std::lock_guard lock(keyMutex_);
    _uniqueKey = key;
}
