#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <mutex>

// Hands out the UUIDs of new pictures and new albums for one sync
// description. Every UUID comes from one 128-bit counter, so no two
// allocations answer the same value, and values already used in the device
// database are stepped over, so a new item never takes the identity of an
// existing picture or album.
//
// The counter starts at the largest UUID among the synced pictures (or at
// 00000000-0000-0000-0000-000000000066 when there is none) and each
// allocation answers the next value: the whole 128-bit number plus one, with
// the carry running through every byte. Thread-safe.
class NVXUUIDAllocator {
public:
    // `start` is big-endian; shorter values are widened with leading zero
    // bytes. `used` holds 16-byte values that must never be answered.
    explicit NVXUUIDAllocator(const QByteArray &start, QSet<QByteArray> used = {});

    // The next free UUID as upper-case 8-4-4-4-12 text.
    QString next();
    // The next free UUID as 16 bytes.
    QByteArray nextBytes();
    // The value the counter holds now (the last one answered, or the start).
    QByteArray current() const;

    // The 16-byte form of a big-endian value: shorter values get leading
    // zero bytes; longer ones keep their last 16 bytes.
    static QByteArray widen(const QByteArray &value);
    // `value` (widened to 16 bytes) plus one, with a full carry; the all-ones
    // value wraps to zero.
    static QByteArray increment(const QByteArray &value);
    // Upper-case 8-4-4-4-12 text of 16 bytes.
    static QString text(const QByteArray &bytes16);
    // The 16 bytes of a UUID text (dashes optional, either case); null when
    // it is not 32 hexadecimal digits.
    static QByteArray fromText(const QString &text);

private:
    mutable std::mutex mutex_;
    QByteArray value_;
    QSet<QByteArray> used_;
};
