#pragma once

#include "ServiceChannel.h"
#include "SimulatedFaults.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

// The application-container service of a simulated device. It answers one
// property-list request, {"Command": "VendContainer", "Identifier": id},
// framed by a 4-byte big-endian length, with {"Status": "Complete"} when
// the device folder has Applications/<id>, else {"Error": …}; after that,
// the channel opens a file service on that container.
class SimulatedHouseArrest : public ServiceChannel {
public:
    SimulatedHouseArrest(const QString &deviceFolder, std::shared_ptr<SimulatedFaults> faults);

    qint64 send(const char *data, qint64 length) override;
    qint64 receive(char *buffer, qint64 length) override;
    std::uint32_t openFileService(std::shared_ptr<AfcConnection> *connection) override;

private:
    void answer(const QByteArray &request);

    QString deviceFolder_;
    std::shared_ptr<SimulatedFaults> faults_;
    std::mutex mutex_;
    QByteArray input_, output_;
    QString container_;
};
