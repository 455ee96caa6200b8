#include "AFCFileReference.h"

#include <QThread>

AFCFileReference::~AFCFileReference()
{
    if (ref_)
        closeFile();
}

bool AFCFileReference::check(std::uint32_t status, const char *call)
{
    if (status == MobileDeviceStatus::kSuccess) {
        lasterror_.clear();
        return true;
    }
    lasterror_ = QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(call)).arg(status);
    return false;
}

bool AFCFileReference::closeFile()
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    const bool ok = check(AFCFileRefClose(afc_, ref_), "AFCFileRefClose");
    ref_ = 0;
    return ok;
}

qint64 AFCFileReference::readN(std::uint32_t length, char *buffer)
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return -1;
    }
    std::uint32_t n = length;
    if (!check(AFCFileRefRead(afc_, ref_, buffer, &n), "AFCFileRefRead"))
        return -1;
    return n;
}

bool AFCFileReference::writeN(std::uint32_t length, const char *buffer)
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    if (length == 0)
        return true;
    return check(AFCFileRefWrite(afc_, ref_, buffer, length), "AFCFileRefWrite");
}

bool AFCFileReference::writeNSData(const QByteArray &data)
{
    return writeN(std::uint32_t(data.size()), data.constData());
}

bool AFCFileReference::seek(qint64 offset, int whence)
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    return check(AFCFileRefSeek(afc_, ref_, offset, whence), "AFCFileRefSeek");
}

qint64 AFCFileReference::tell()
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return -1;
    }
    std::uint64_t position = 0;
    return check(AFCFileRefTell(afc_, ref_, &position), "AFCFileRefTell") ? qint64(position) : -1;
}

bool AFCFileReference::setFileSize(std::uint64_t size)
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    return check(AFCFileRefSetFileSize(afc_, ref_, size), "AFCFileRefSetFileSize");
}

bool AFCFileReference::lock(int attempts)
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    for (int i = 0; i < attempts; ++i) {
        if (check(AFCFileRefLock(afc_, ref_, 6 | 4), "AFCFileRefLock"))
            return true;
        QThread::msleep(10);
    }
    return false;
}

bool AFCFileReference::unLock()
{
    if (!ref_) {
        lasterror_ = QStringLiteral("File is not open");
        return false;
    }
    return check(AFCFileRefUnlock(afc_, ref_), "AFCFileRefUnlock");
}
