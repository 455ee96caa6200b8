#include "PropertyList.h"

#include "TempDir.h"

#include <QDateTime>
#include <QFile>
#include <QSize>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Format = PropertyList::Format;

QDateTime utc(const char *iso)
{
    QDateTime dt = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
    EXPECT_TRUE(dt.isValid()) << iso;
    return dt.toUTC();
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

QVariant roundTrip(const QVariant &value, Format format)
{
    const QByteArray bytes = PropertyList::toData(value, format);
    EXPECT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bytes.startsWith("bplist00"), format == Format::Binary);
    return PropertyList::fromData(bytes);
}

const char *formatName(Format f)
{
    return f == Format::Xml ? "xml" : "binary";
}

// The objects of a binary property list start after the 8-byte signature;
// with a scalar root, the root object comes first.
QByteArray firstObject(const QVariant &value, int length)
{
    return PropertyList::toBinary(value).mid(8, length);
}

TEST(PropertyList, EveryTypeRoundTripsInBothFormats)
{
    const struct {
        const char *label;
        QVariant value;
    } cases[] = {
        {"ascii string", QString("Camera Roll")},
        {"unicode string", QString::fromUtf8("Fotos – 写真 \xF0\x9F\x93\xB7")},
        {"empty string", QString("")},
        {"zero", qint64(0)},
        {"one byte", qint64(255)},
        {"two bytes", qint64(256)},
        {"four bytes", qint64(70000)},
        {"above 2^32", qint64(0x100000001LL)},
        {"HFS offset plus 2^32", qint64(3061152000LL + 0x100000000LL)},
        {"int64 max", std::numeric_limits<qint64>::max()},
        {"minus one", qint64(-1)},
        {"int64 min", std::numeric_limits<qint64>::min()},
        {"real", 1.5},
        {"real needing a double", 0.1},
        {"huge real", -2.25e300},
        {"+infinity", std::numeric_limits<double>::infinity()},
        {"-infinity", -std::numeric_limits<double>::infinity()},
        {"true", true},
        {"false", false},
        {"data", allByteValues()},
        {"empty data", QByteArray()},
        {"date", utc("2015-06-01T12:34:56Z")},
        {"date before 2001", utc("1999-12-31T23:59:59Z")},
        {"last writable date", utc("2069-01-19T03:14:07Z")},
        {"first writable date", utc("1932-12-13T20:45:52Z")},
        {"empty array", QVariantList{}},
        {"empty dictionary", QVariantMap{}},
        {"nested",
         QVariantMap{{"Values", QVariantMap{{"DeviceName", "Phone"}, {"Offset", qint64(-18000)}}},
                     {"List", QVariantList{qint64(1), QString("two"), QVariantList{true, 2.5}}},
                     {QString::fromUtf8("clé"), QByteArray("\0\1", 2)}}},
    };
    for (Format format : {Format::Xml, Format::Binary}) {
        for (const auto &c : cases) {
            const QVariant back = roundTrip(c.value, format);
            EXPECT_EQ(back, c.value) << c.label << " (" << formatName(format) << ")";
            EXPECT_EQ(back.typeId(), c.value.typeId()) << c.label << " (" << formatName(format) << ")";
        }
    }
}

TEST(PropertyList, OtherQtTypesAreWrittenAsTheirPropertyListKind)
{
    const struct {
        const char *label;
        QVariant written;
        QVariant readBack;
    } cases[] = {
        {"int", int(-7), qint64(-7)},
        {"uint", uint(4000000000u), qint64(4000000000LL)},
        {"quint64 below 2^63", quint64(1) << 40, qint64(1) << 40},
        {"float", 0.5f, 0.5},
        {"string list", QStringList{"a", "b"}, QVariantList{"a", "b"}},
        {"hash", QVariantHash{{"k", true}}, QVariantMap{{"k", true}}},
    };
    for (Format format : {Format::Xml, Format::Binary}) {
        for (const auto &c : cases) {
            const QVariant back = roundTrip(c.written, format);
            EXPECT_EQ(back, c.readBack) << c.label << " (" << formatName(format) << ")";
            EXPECT_EQ(back.typeId(), c.readBack.typeId()) << c.label << " (" << formatName(format) << ")";
        }
    }
}

// The library stores every integer as 64 unsigned bits. Values above
// INT64_MAX therefore share their form with negative numbers: they read back
// as the qint64 with the same bits, and the XML form spells them negative.
TEST(PropertyList, UnsignedIntegersAboveInt64MaxKeepTheirBits)
{
    for (quint64 u : {std::numeric_limits<quint64>::max(), quint64(1) << 63, quint64(0xFFFFFFFFFFFFFFF0ull)}) {
        for (Format format : {Format::Xml, Format::Binary}) {
            const QVariant back = roundTrip(QVariant::fromValue(u), format);
            EXPECT_EQ(back.typeId(), QMetaType::LongLong);
            EXPECT_EQ(back.toLongLong(), qint64(u)) << u << " (" << formatName(format) << ")";
            EXPECT_EQ(back.toULongLong(), u) << u << " (" << formatName(format) << ")";
        }
    }
    EXPECT_TRUE(PropertyList::toXml(QVariant::fromValue(std::numeric_limits<quint64>::max()))
                    .contains("<integer>-1</integer>"));
    // Written elsewhere as the unsigned decimal, it reads as the same bits.
    const QVariant fromText = PropertyList::fromXml(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
        "<integer>18446744073709551615</integer></plist>");
    EXPECT_EQ(fromText, QVariant(qint64(-1)));
}

TEST(PropertyList, BinaryOutputUsesTheSmallestWidthForIntegersAndReals)
{
    const struct {
        const char *label;
        QVariant value;
        QByteArray bytes;
    } cases[] = {
        {"0", qint64(0), QByteArray::fromHex("1000")},
        {"200", qint64(200), QByteArray::fromHex("10c8")},
        {"256", qint64(256), QByteArray::fromHex("110100")},
        {"70000", qint64(70000), QByteArray::fromHex("1200011170")},
        {"2^32 - 1", qint64(0xFFFFFFFFLL), QByteArray::fromHex("12ffffffff")},
        {"2^32 + 1", qint64(0x100000001LL), QByteArray::fromHex("130000000100000001")},
        {"int64 max", std::numeric_limits<qint64>::max(), QByteArray::fromHex("137fffffffffffffff")},
        // Negative numbers are the 8-byte signed form (the library writes
        // nothing wider).
        {"-1", qint64(-1), QByteArray::fromHex("13ffffffffffffffff")},
        {"+infinity", std::numeric_limits<double>::infinity(), QByteArray::fromHex("227f800000")},
        {"1.5", 1.5, QByteArray::fromHex("223fc00000")},
        {"0.1", 0.1, QByteArray::fromHex("233fb999999999999a")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(firstObject(c.value, int(c.bytes.size())).toHex(), c.bytes.toHex()) << c.label;

    // The same 4-byte real inside a dictionary, as coordinates are stored.
    const QByteArray inDict = PropertyList::toBinary(
        QVariantMap{{"latitude", std::numeric_limits<double>::infinity()}});
    EXPECT_TRUE(inDict.contains(QByteArray::fromHex("227f800000")));
    EXPECT_FALSE(inDict.contains(QByteArray::fromHex("237ff0000000000000")));
}

TEST(PropertyList, DatesKeepMillisecondsInBinaryAndWholeSecondsInXml)
{
    const struct {
        const char *label;
        QDateTime written;
        QDateTime binaryBack;
        QDateTime xmlBack;
    } cases[] = {
        {"after 2001", utc("2015-06-01T12:34:56.789Z"), utc("2015-06-01T12:34:56.789Z"),
         utc("2015-06-01T12:34:56Z")},
        {"before 2001", utc("1990-05-05T10:00:00.123Z"), utc("1990-05-05T10:00:00.123Z"),
         utc("1990-05-05T10:00:00Z")},
        // Within the last second before 2001-01-01 the library's binary
        // reader loses the sign of the fraction.
        {"last second before 2001", utc("2000-12-31T23:59:59.500Z"), utc("2001-01-01T00:00:00.500Z"),
         utc("2000-12-31T23:59:59Z")},
    };
    for (const auto &c : cases) {
        const QVariant fromBinary = roundTrip(c.written, Format::Binary);
        const QVariant fromXml = roundTrip(c.written, Format::Xml);
        EXPECT_EQ(fromBinary.toDateTime(), c.binaryBack) << c.label;
        EXPECT_EQ(fromXml.toDateTime(), c.xmlBack) << c.label;
        EXPECT_EQ(fromBinary.toDateTime().timeSpec(), Qt::UTC) << c.label;
    }
    EXPECT_TRUE(PropertyList::toXml(utc("2015-06-01T12:34:56.789Z")).contains("<date>2015-06-01T12:34:56Z</date>"));
}

TEST(PropertyList, ValuesThatCannotBeWrittenFailTheWholeWrite)
{
    const struct {
        const char *label;
        QVariant value;
    } cases[] = {
        {"invalid", QVariant()},
        {"unsupported type", QVariant(QSize(1, 2))},
        {"unsupported inside a dictionary", QVariantMap{{"ok", 1}, {"bad", QVariant(QSize(1, 2))}}},
        {"invalid inside an array", QVariantList{1, QVariant()}},
        {"date after 2069", utc("2069-01-19T03:14:08Z")},
        {"date before 1932", utc("1932-12-13T20:45:51Z")},
        {"invalid date", QDateTime()},
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(PropertyList::toXml(c.value).isEmpty()) << c.label;
        EXPECT_TRUE(PropertyList::toBinary(c.value).isEmpty()) << c.label;
    }
}

TEST(PropertyList, BadInputReadsAsInvalid)
{
    const QByteArray binary = PropertyList::toBinary(
        QVariantMap{{"a", QVariantList{qint64(1), QString("x"), 2.5}}, {"b", QByteArray("data")}});
    const QByteArray xml = PropertyList::toXml(QVariantMap{{"a", QVariantList{qint64(1), QString("x")}}});
    const struct {
        const char *label;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"text", "hello world"},
        {"signature only", "bplist00"},
        {"signature and junk", QByteArray("bplist00") + QByteArray(40, '\xff')},
        {"binary cut before its trailer", binary.left(binary.size() - 1)},
        {"binary with its trailer zeroed", binary.left(binary.size() - 32) + QByteArray(32, '\0')},
        {"unclosed xml", xml.left(xml.size() / 2)},
        {"xml, not a property list", "<?xml version=\"1.0\"?><html><body/></html>"},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(PropertyList::fromData(c.bytes).isValid()) << c.label;

    // Every prefix of a binary list is truncated data.
    for (int n = 0; n < binary.size(); ++n)
        EXPECT_FALSE(PropertyList::fromBinary(binary.left(n)).isValid()) << "binary prefix " << n;
    // The explicit readers refuse the other format.
    EXPECT_FALSE(PropertyList::fromXml(binary).isValid());
    EXPECT_FALSE(PropertyList::fromBinary(xml).isValid());
}

TEST(PropertyList, CorruptedBinaryNeverCrashes)
{
    const QByteArray binary = PropertyList::toBinary(
        QVariantMap{{"a", QVariantList{qint64(1), QString("x"), 2.5, QVariantMap{{"d", true}}}},
                    {"b", QByteArray("data")}});
    // Overwrite each byte with values that make lengths, references and
    // offsets point anywhere, including back at the containing object.
    for (int i = 8; i < binary.size(); ++i) {
        for (char v : {'\x00', '\x01', '\x7f', '\xff'}) {
            QByteArray damaged = binary;
            damaged[i] = v;
            PropertyList::fromBinary(damaged); // any answer, as long as it returns
        }
    }
    SUCCEED();
}

TEST(PropertyList, FilesRoundTripAndFailedWritesLeaveTheOldFile)
{
    TempDir dir;
    const QVariantMap value{{"Name", "Album"}, {"Count", qint64(3)}};
    for (Format format : {Format::Xml, Format::Binary}) {
        const QString path = dir.file(QString("list-%1.plist").arg(formatName(format)));
        ASSERT_TRUE(PropertyList::writeFile(path, value, format));
        EXPECT_EQ(PropertyList::readFile(path), QVariant(value)) << formatName(format);

        EXPECT_FALSE(PropertyList::writeFile(path, QVariant(QSize(1, 1)), format));
        EXPECT_EQ(PropertyList::readFile(path), QVariant(value)) << formatName(format) << ": old file damaged";
    }
    EXPECT_FALSE(PropertyList::writeFile(dir.file("missing/folder/x.plist"), value, Format::Xml));
    EXPECT_FALSE(PropertyList::readFile(dir.file("absent.plist")).isValid());
}

} // namespace
