#pragma once

#include "SimulatedAfcConnection.h"
#include "SimulatedFaults.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <mutex>

// A simulated device backed by a folder:
//   device.plist  "Values" (values without a domain), "Domains" (domain ->
//                 values), "PasscodeLocked", "InterfaceType" (1 USB, 2 Wi-Fi),
//                 "Services" (the services offered)
//   Media/        served by "com.apple.afc"
//   Root/         served by "com.apple.afc2" (the device folder itself when
//                 absent); offered only when "Services" lists it
// Calls answer the statuses of MobileDeviceStatus; a locked device fails its
// sessions, and a detached one fails everything.
class SimulatedDevice {
public:
    static std::shared_ptr<SimulatedDevice> open(const QString &folder, QString *error = nullptr);

    QString folder() const { return folder_; }
    int interfaceType() const { return interfaceType_; }
    const std::shared_ptr<SimulatedFaults> &faults() const { return faults_; }
    bool isDetached() const { return faults_->detached.load(); }
    void detach() { faults_->detached.store(true); }

    std::uint32_t connect();
    std::uint32_t disconnect();
    std::uint32_t startSession();
    std::uint32_t stopSession();
    // A copy of the value, or an invalid variant; no key: the whole domain.
    QVariant copyValue(const QString &domain, const QString &key) const;
    // Starts a file service; the connection serves that service's root.
    std::uint32_t startService(const QString &name, std::shared_ptr<SimulatedAfcConnection> *connection);

private:
    SimulatedDevice() = default;

    QString folder_;
    QVariantMap values_;
    QVariantMap domains_;
    QStringList services_;
    bool locked_ = false;
    int interfaceType_ = 1;
    std::shared_ptr<SimulatedFaults> faults_ = std::make_shared<SimulatedFaults>();
    mutable std::mutex mutex_;
    bool connected_ = false;
    bool inSession_ = false;
};
