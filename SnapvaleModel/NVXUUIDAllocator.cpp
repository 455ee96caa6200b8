#include "NVXUUIDAllocator.h"

#include "MyHelper.h"

namespace {
constexpr qsizetype kUuidBytes = 16;
}

NVXUUIDAllocator::NVXUUIDAllocator(const QByteArray &start, QSet<QByteArray> used)
    : value_(widen(start)), used_(std::move(used))
{
}

QByteArray NVXUUIDAllocator::nextBytes()
{
    std::lock_guard lock(mutex_);
    // Step over values already in use. Only a database holding every one of
    // the 2^128 values could make this loop forever; stop after one full
    // turn all the same.
    const QByteArray first = value_;
    do {
        value_ = increment(value_);
    } while (used_.contains(value_) && value_ != first);
    used_.insert(value_);
    return value_;
}

QString NVXUUIDAllocator::next() { return text(nextBytes()); }

QByteArray NVXUUIDAllocator::current() const
{
    std::lock_guard lock(mutex_);
    return value_;
}

QByteArray NVXUUIDAllocator::widen(const QByteArray &value)
{
    if (value.size() >= kUuidBytes)
        return value.right(kUuidBytes);
    return QByteArray(kUuidBytes - value.size(), '\0') + value;
}

QByteArray NVXUUIDAllocator::increment(const QByteArray &value)
{
    QByteArray bytes = widen(value);
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        bytes[i] = static_cast<char>(b + 1);
        if (b != 0xFF)
            break; // no carry into the byte before
    }
    return bytes;
}

QString NVXUUIDAllocator::text(const QByteArray &bytes16)
{
    return MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(widen(bytes16)));
}

QByteArray NVXUUIDAllocator::fromText(const QString &text)
{
    QString hex = text;
    hex.remove(u'-');
    if (hex.size() != 2 * kUuidBytes)
        return {};
    return MyHelper::My16NSStringToNSData(hex);
}
