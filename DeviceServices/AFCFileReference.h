#pragma once

#include "MobileDevice.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// One open device file. Every operation on a closed reference fails with
// "File is not open"; a failing call leaves "<call> failed: <status>".
class AFCFileReference {
public:
    AFCFileReference(std::uint64_t ref, AFCConnectionRef afc) : ref_(ref), afc_(std::move(afc)) {}
    ~AFCFileReference();
    AFCFileReference(const AFCFileReference &) = delete;
    AFCFileReference &operator=(const AFCFileReference &) = delete;

    bool isOpen() const { return ref_ != 0; }
    bool closeFile();
    // Bytes read, 0 at the end of the file; -1 on failure (see lasterror).
    qint64 readN(std::uint32_t length, char *buffer);
    bool writeN(std::uint32_t length, const char *buffer);
    bool writeNSData(const QByteArray &data);
    // whence: 0 from the start, 1 from the position, 2 from the end.
    bool seek(qint64 offset, int whence);
    // The position, or -1 on failure.
    qint64 tell();
    bool setFileSize(std::uint64_t size);
    // An exclusive advisory lock, tried `attempts` times 10 ms apart.
    bool lock(int attempts);
    bool unLock();
    QString lasterror() const { return lasterror_; }

private:
    bool check(std::uint32_t status, const char *call);

    std::uint64_t ref_;
    AFCConnectionRef afc_;
    QString lasterror_;
};
