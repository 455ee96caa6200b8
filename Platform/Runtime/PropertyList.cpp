#include "PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

// 2001-01-01T00:00:00Z, the reference date of property-list dates.
constexpr qint64 kReferenceDateMSecs = Q_INT64_C(978307200000);
// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 512;

struct PlistFree {
    void operator()(void *node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

bool fitsLength(const QByteArray &bytes)
{
    return !bytes.isEmpty() && quint64(bytes.size()) <= std::numeric_limits<uint32_t>::max();
}

// ---- QVariant -> node ------------------------------------------------------

Node toNode(const QVariant &value, PropertyList::Format format, int depth);

Node dictNode(const QVariantMap &map, PropertyList::Format format, int depth)
{
    Node dict(plist_new_dict());
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        Node item = toNode(it.value(), format, depth + 1);
        if (!item)
            return nullptr;
        plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), item.release());
    }
    return dict;
}

Node arrayNode(const QVariantList &list, PropertyList::Format format, int depth)
{
    Node array(plist_new_array());
    for (const QVariant &v : list) {
        Node item = toNode(v, format, depth + 1);
        if (!item)
            return nullptr;
        plist_array_append_item(array.get(), item.release());
    }
    return array;
}

Node dateNode(const QDateTime &dt, PropertyList::Format format)
{
    if (!dt.isValid())
        return nullptr;
    const qint64 rel = dt.toMSecsSinceEpoch() - kReferenceDateMSecs;
    // Floor division keeps the fraction non-negative, which is the split the
    // library adds back together when it writes the date.
    qint64 sec = rel / 1000;
    qint64 ms = rel % 1000;
    if (ms < 0) {
        sec -= 1;
        ms += 1000;
    }
    if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max())
        return nullptr;
    // The XML writer would round a fraction to the second in its own way;
    // dropping it here makes the written second predictable.
    const int32_t usec = format == PropertyList::Format::Xml ? 0 : int32_t(ms * 1000);
    return Node(plist_new_date(int32_t(sec), usec));
}

Node toNode(const QVariant &value, PropertyList::Format format, int depth)
{
    if (depth > kMaxDepth)
        return nullptr;
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return dictNode(value.toMap(), format, depth);
    case QMetaType::QVariantHash: {
        const QVariantHash hash = value.toHash();
        QVariantMap map;
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return dictNode(map, format, depth);
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return arrayNode(value.toList(), format, depth);
    case QMetaType::QString:
        return Node(plist_new_string(value.toString().toUtf8().constData()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Node(plist_new_data(bytes.constData(), uint64_t(bytes.size())));
    }
    case QMetaType::Bool:
        return Node(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        // The library has no signed integer: a negative value is stored as
        // its two's complement, which it writes as a signed 8-byte integer.
        return Node(plist_new_uint(uint64_t(value.toLongLong())));
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return Node(plist_new_uint(value.toULongLong()));
    case QMetaType::Float:
    case QMetaType::Double:
        return Node(plist_new_real(value.toDouble()));
    case QMetaType::QDateTime:
        return dateNode(value.toDateTime(), format);
    default:
        return nullptr;
    }
}

// ---- node -> QVariant ------------------------------------------------------

QVariant fromNode(plist_t node, int depth);

QVariant dateValue(plist_t node)
{
    int32_t sec = 0;
    int32_t usec = 0;
    plist_get_date_val(node, &sec, &usec);
    // The binary reader splits a time before the reference date into its
    // truncated seconds and the magnitude of the fraction (-99.5 comes back
    // as -99 and 500000), so the fraction counts backwards there. It also
    // truncates the microseconds; rounding to milliseconds undoes that.
    const qint64 frac = (sec < 0 && usec > 0) ? -qint64(usec) : qint64(usec);
    const qint64 msecs = qint64(sec) * 1000 + std::llround(double(frac) / 1000.0);
    return QDateTime::fromMSecsSinceEpoch(kReferenceDateMSecs + msecs, Qt::UTC);
}

QVariant fromNode(plist_t node, int depth)
{
    if (!node || depth > kMaxDepth)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return bool(b);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return qint64(u);
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return d;
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        return s ? QString::fromUtf8(s, qsizetype(length)) : QString();
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *p = plist_get_data_ptr(node, &length);
        return QByteArray(p, p ? qsizetype(length) : 0);
    }
    case PLIST_DATE:
        return dateValue(node);
    case PLIST_UID: {
        // Keyed-archive references, in the form the XML format spells them.
        uint64_t u = 0;
        plist_get_uid_val(node, &u);
        return QVariantMap{{QStringLiteral("CF$UID"), qint64(u)}};
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            QVariant v = fromNode(plist_array_get_item(node, i), depth + 1);
            if (!v.isValid())
                return {};
            list.append(std::move(v));
        }
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return {};
        bool ok = true;
        for (;;) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            QVariant v = fromNode(item, depth + 1);
            if (!key || !v.isValid()) {
                std::free(key);
                ok = false;
                break;
            }
            map.insert(QString::fromUtf8(key), std::move(v));
            std::free(key);
        }
        std::free(iter);
        return ok ? QVariant(map) : QVariant();
    }
    default:
        return {};
    }
}

QVariant parsed(plist_t root)
{
    Node owner(root);
    return fromNode(root, 0);
}

} // namespace

QVariant PropertyList::fromXml(const QByteArray &xml)
{
    if (!fitsLength(xml))
        return {};
    plist_t root = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
    return parsed(root);
}

QVariant PropertyList::fromBinary(const QByteArray &binary)
{
    if (!fitsLength(binary))
        return {};
    plist_t root = nullptr;
    plist_from_bin(binary.constData(), uint32_t(binary.size()), &root);
    return parsed(root);
}

QVariant PropertyList::fromData(const QByteArray &data)
{
    return data.startsWith("bplist00") ? fromBinary(data) : fromXml(data);
}

QByteArray PropertyList::toXml(const QVariant &value)
{
    return toData(value, Format::Xml);
}

QByteArray PropertyList::toBinary(const QVariant &value)
{
    return toData(value, Format::Binary);
}

QByteArray PropertyList::toData(const QVariant &value, Format format)
{
    Node root = toNode(value, format, 0);
    if (!root)
        return {};
    char *buffer = nullptr;
    uint32_t length = 0;
    QByteArray out;
    if (format == Format::Xml) {
        plist_to_xml(root.get(), &buffer, &length);
        if (buffer)
            out = QByteArray(buffer, qsizetype(length));
        plist_to_xml_free(buffer);
    } else {
        plist_to_bin(root.get(), &buffer, &length);
        if (buffer)
            out = QByteArray(buffer, qsizetype(length));
        plist_to_bin_free(buffer);
    }
    return out;
}

QVariant PropertyList::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromData(file.readAll());
}

bool PropertyList::writeFile(const QString &path, const QVariant &value, Format format)
{
    const QByteArray bytes = toData(value, format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
