#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>

// Faults a test injects into one simulated device. Every field may be set
// from any thread while the device is in use.
struct SimulatedFaults {
    // The device leaves once this many file bytes have crossed the wire
    // (reads and writes together); -1 never.
    std::atomic<qint64> detachAfterBytes{-1};
    std::atomic<bool> failReads{false};
    std::atomic<bool> failWrites{false};
    // Bytes that may still be written before the disk is full; -1 unlimited.
    std::atomic<qint64> writeBudget{-1};

    // Called once, on the thread that made the device leave, when a fault
    // detaches it (the hub then reports the departure). Set before use.
    std::function<void()> onDetached;

    // Marks the device gone; the first call runs onDetached.
    void detachNow()
    {
        if (!detached.exchange(true) && onDetached)
            onDetached();
    }

    // Bookkeeping of the device itself.
    std::atomic<qint64> bytesTransferred{0};
    std::atomic<bool> detached{false};
};
