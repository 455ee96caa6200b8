#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <QtGlobal>

#include <cstdint>

// One open file-service connection of a device, as a backend offers it.
// Every call answers a status of MobileDeviceStatus (0 success).
class AfcConnection {
public:
    enum OpenMode : std::uint64_t { ReadOnly = 1, WriteOnly = 2, ReadWrite = 3 };

    virtual ~AfcConnection() = default;

    // Key-value pairs the service sends for a path (st_size, st_ifmt, …).
    virtual std::uint32_t fileInfo(const QString &path, QMap<QString, QString> *info) = 0;
    virtual std::uint32_t deviceInfo(QMap<QString, QString> *info) = 0;
    // Names in the folder, "." and ".." included; 4 for something that is
    // not a folder.
    virtual std::uint32_t readDirectory(const QString &path, QStringList *names) = 0;
    virtual std::uint32_t makeDirectory(const QString &path) = 0;
    virtual std::uint32_t removePath(const QString &path) = 0;
    virtual std::uint32_t renamePath(const QString &from, const QString &to) = 0;
    virtual std::uint32_t linkPath(std::uint64_t type, const QString &target, const QString &link) = 0;
    virtual std::uint32_t fileOpen(const QString &path, std::uint64_t mode, std::uint64_t *ref) = 0;
    virtual std::uint32_t fileRead(std::uint64_t ref, char *buffer, std::uint32_t *length) = 0;
    virtual std::uint32_t fileWrite(std::uint64_t ref, const char *buffer, std::uint32_t length) = 0;
    virtual std::uint32_t fileClose(std::uint64_t ref) = 0;
    // whence: 0 from the start, 1 from the position, 2 from the end.
    virtual std::uint32_t fileSeek(std::uint64_t ref, qint64 offset, int whence) = 0;
    virtual std::uint32_t fileTell(std::uint64_t ref, std::uint64_t *position) = 0;
    virtual std::uint32_t fileSetSize(std::uint64_t ref, std::uint64_t size) = 0;
    // Advisory lock: 2 shared, 6 exclusive, 8 unlock (4 added: do not wait).
    virtual std::uint32_t fileLock(std::uint64_t ref, std::uint64_t operation) = 0;
    // Nanoseconds since 1970.
    virtual std::uint32_t setModTime(const QString &path, std::uint64_t nanoseconds) = 0;
};
