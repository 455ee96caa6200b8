#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists (XML and binary format 1.0) as QVariant trees.
//
//   dictionary <-> QVariantMap (QVariantHash is also written as one)
//   array      <-> QVariantList (QStringList is also written as one)
//   string     <-> QString
//   integer    <-> qint64 on reading; every integral type on writing
//   real       <-> double (float is also written as one)
//   boolean    <-> bool
//   data       <-> QByteArray
//   date       <-> QDateTime (read as UTC)
//
// Integers are 64 bits wide and keep their bit pattern: a quint64 above
// INT64_MAX reads back as the qint64 with the same bits (the XML form writes
// it as a negative number), so toULongLong() recovers it. Binary output stores
// a non-negative integer in the smallest of 1, 2, 4 or 8 bytes, a negative one
// in 8 bytes, and a real that a float holds exactly (1.5, +infinity) in 4
// bytes. Keyed-archive references (UIDs) read as {"CF$UID": n}.
//
// Dates are stored as a 32-bit count of seconds around 2001-01-01 UTC, so only
// 1932-12-13T20:45:52Z to 2069-01-19T03:14:07Z can be written. The XML form
// keeps whole seconds (the fraction is dropped when writing and ignored when
// reading); the binary form keeps milliseconds, except in the last second
// before 2001-01-01, where a fraction reads back with the wrong sign.
//
// A value that cannot be written (an invalid QVariant, an unsupported type, a
// date out of range) makes the whole write fail with an empty result. Input
// that is not a property list, or is truncated, reads as an invalid QVariant.
class PropertyList {
public:
    enum class Format { Xml, Binary };

    PropertyList() = delete;

    static QVariant fromXml(const QByteArray &xml);
    static QVariant fromBinary(const QByteArray &binary);
    // Binary if the data starts with the "bplist00" signature, XML otherwise.
    static QVariant fromData(const QByteArray &data);

    static QByteArray toXml(const QVariant &value);
    static QByteArray toBinary(const QVariant &value);
    static QByteArray toData(const QVariant &value, Format format);

    // Reads a file in either format; invalid QVariant if it cannot be read.
    static QVariant readFile(const QString &path);
    // Writes atomically: the file is replaced only when the whole write
    // succeeded, and is left as it was otherwise.
    static bool writeFile(const QString &path, const QVariant &value, Format format);
};
