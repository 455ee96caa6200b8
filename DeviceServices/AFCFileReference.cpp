#include "AFCFileReference.h"

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
