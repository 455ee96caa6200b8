#pragma once

#include "BackendDevice.h"
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
//   CrashReports/ served by "com.apple.crashreportcopymobile" when listed
//   Applications/<id>/  containers vended by "com.apple.mobile.house_arrest"
//                 when listed
// Calls answer the statuses of MobileDeviceStatus; a locked device fails its
// sessions, and a detached one fails everything.
class SimulatedDevice : public BackendDevice {
public:
    static std::shared_ptr<SimulatedDevice> open(const QString &folder, QString *error = nullptr);

    QString folder() const { return folder_; }
    int interfaceType() const override { return interfaceType_; }
    const std::shared_ptr<SimulatedFaults> &faults() const { return faults_; }
    bool isDetached() const { return faults_->detached.load(); }
    void detach() { faults_->detached.store(true); }

    std::uint32_t connect() override;
    std::uint32_t disconnect() override;
    std::uint32_t startSession() override;
    std::uint32_t stopSession() override;
    // A copy of the value, or an invalid variant; no key: the whole domain.
    QVariant copyValue(const QString &domain, const QString &key) const override;
    // Starts a file service; the connection serves that service's root.
    std::uint32_t startFileService(const QString &name, std::shared_ptr<AfcConnection> *connection) override;
    std::uint32_t startChannelService(const QString &name, std::shared_ptr<ServiceChannel> *channel) override;

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
