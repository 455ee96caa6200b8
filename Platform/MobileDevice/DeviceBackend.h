#pragma once

#include "BackendDevice.h"

#include <cstdint>
#include <functional>
#include <memory>

// A source of devices: simulated folders, or real devices over USB. The
// device call set dispatches to the one backend chosen at start-up.
class DeviceBackend {
public:
    enum Message { Attached = 1, Detached = 2 };
    using Callback = std::function<void(const std::shared_ptr<BackendDevice> &, Message)>;
    using Subscription = std::uint64_t;

    virtual ~DeviceBackend() = default;

    // Events arrive on the subscribing thread's event loop, first one
    // "attached" for every device already there. 0 when subscribing failed.
    virtual Subscription subscribe(Callback callback) = 0;
    virtual void unsubscribe(Subscription subscription) = 0;
};
