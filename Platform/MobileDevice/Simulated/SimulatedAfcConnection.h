#pragma once

#include "AfcConnection.h"
#include "SimulatedFaults.h"

#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// One file-service connection of a simulated device, serving a folder of
// the computer as the device's file system. Every device path is resolved
// inside the root: ".." segments, and symbolic links that lead outside the
// root, fail as a missing path would, because device-side names come from
// the device's own database and are untrusted. Calls answer the statuses of
// MobileDeviceStatus.
class SimulatedAfcConnection : public AfcConnection {
public:
    SimulatedAfcConnection(const QString &root, std::shared_ptr<SimulatedFaults> faults);
    ~SimulatedAfcConnection() override;
    SimulatedAfcConnection(const SimulatedAfcConnection &) = delete;
    SimulatedAfcConnection &operator=(const SimulatedAfcConnection &) = delete;

    // File information as the service sends it: text keys and text values
    // (st_size, st_blocks, st_nlink, st_ifmt, st_mtime, st_birthtime; times
    // in nanoseconds since 1970).
    std::uint32_t fileInfo(const QString &path, QMap<QString, QString> *info) override;
    std::uint32_t deviceInfo(QMap<QString, QString> *info) override;
    // Names in the folder, "." and ".." included.
    std::uint32_t readDirectory(const QString &path, QStringList *names) override;
    std::uint32_t makeDirectory(const QString &path) override;
    std::uint32_t removePath(const QString &path) override;
    std::uint32_t renamePath(const QString &from, const QString &to) override;
    // Type 1 makes a hard link, type 2 a symbolic link.
    std::uint32_t linkPath(std::uint64_t type, const QString &target, const QString &link) override;

    std::uint32_t fileOpen(const QString &path, std::uint64_t mode, std::uint64_t *ref) override;
    // Reads up to *length bytes; *length becomes the count read, 0 at the end.
    std::uint32_t fileRead(std::uint64_t ref, char *buffer, std::uint32_t *length) override;
    std::uint32_t fileWrite(std::uint64_t ref, const char *buffer, std::uint32_t length) override;
    std::uint32_t fileClose(std::uint64_t ref) override;
    std::uint32_t fileSeek(std::uint64_t ref, qint64 offset, int whence) override;
    std::uint32_t fileTell(std::uint64_t ref, std::uint64_t *position) override;
    std::uint32_t fileSetSize(std::uint64_t ref, std::uint64_t size) override;
    std::uint32_t fileLock(std::uint64_t ref, std::uint64_t operation) override;
    std::uint32_t setModTime(const QString &path, std::uint64_t nanoseconds) override;

    // The local path a device path stands for, or nothing when it would
    // leave the root.
    std::optional<QString> resolve(const QString &devicePath) const;

private:
    // The local path without following links, or nothing for ".." segments.
    std::optional<QString> lexical(const QString &devicePath) const;
    // The local path of a link named by the device path, in a folder inside
    // the root, for operations on the link itself.
    std::optional<QString> linkItself(const QString &devicePath) const;
    bool gone() const { return faults_->detached.load(); }
    // Counts transferred bytes and detaches the device once its budget is spent.
    void count(qint64 bytes);

    QString root_;
    QString canonicalRoot_;
    std::shared_ptr<SimulatedFaults> faults_;
    std::mutex mutex_;
    std::map<std::uint64_t, std::unique_ptr<QFile>> files_;
    std::uint64_t nextRef_ = 1;
};
