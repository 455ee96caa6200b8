#pragma once

#include <memory>

class AMDevice;

// The receiver of the device listener's reports (the device registry).
class HandsetGateListener {
public:
    virtual ~HandsetGateListener() = default;
    virtual void deviceConnected(const std::shared_ptr<AMDevice> &device) = 0;
    virtual void deviceDisconnected(const std::shared_ptr<AMDevice> &device) = 0;
};
