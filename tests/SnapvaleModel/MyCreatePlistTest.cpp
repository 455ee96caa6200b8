// The sync description builder, run against generated device databases. The
// device takes the description as the new state of its synced library, so the
// tests read the written file back and compare every item, key and value
// type.

#include "LibraryDescription.h"
#include "MyCreatePlist.h"
#include "MyHelper.h"
#include "NVXLogManager.h"
#include "NVXUUIDAllocator.h"
#include "PhotoLibraryGenerator.h"
#include "PhotoSqlSchema.h"
#include "PropertyList.h"
#include "SqliteDatabase.h"
#include "TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <plist/plist.h>

#include <gtest/gtest.h>

#include <limits>
#include <mutex>

namespace {

struct Family {
    const char *generator;  // generator family
    const char *version;    // device product version
};

const Family kFamilies[] = {{"5", "5.1.1"}, {"6", "6.1.3"}, {"7", "7.1.2"}, {"8.0", "8.1.2"}, {"8.3", "8.3"}};

constexpr int kRoll = 1, kLibrary = 2, kStream = 3, kHoliday = 5, kDeviceAlbum = 6, kTrip = 7;
constexpr int kA = 11, kB = 12, kC = 13, kRollPic = 14, kStreamPic = 15, kHidden = 16;
const QString kLibraryUuid = QStringLiteral("6F1C2B3A-0D4E-4F50-9A61-B72C83D94E05");
const QString kSyncDir = QStringLiteral("PhotoData/Sync/100SYNCD");

QString uuidText(const QByteArray &b)
{
    const QString hex = QString::fromLatin1(b.toHex()).toUpper();
    return hex.left(8) + '-' + hex.mid(8, 4) + '-' + hex.mid(12, 4) + '-' + hex.mid(16, 4) + '-' + hex.mid(20);
}

QByteArray pictureUuid(int key) { return LibraryDescription::uuidBytes(0x1000 + quint64(key)); }

FixtureAlbum album(int key, int kind, const QString &title, bool stream = false)
{
    return LibraryDescription::makeAlbum(key, kind, title, stream);
}

FixtureAsset picture(int key, const QList<int> &albums, const QString &dir, double modified)
{
    FixtureAsset a;
    a.key = key;
    a.uuid = pictureUuid(key);
    a.directory = dir;
    a.fileName = QStringLiteral("IMG_%1.JPG").arg(key);
    a.modified = modified;
    a.savedAssetType = dir == kSyncDir ? 256 : 0;
    a.albums = albums;
    return a;
}

// The worked example: the library-wide album, the synced album Holiday with
// A and B, the library-only picture C; around them a camera roll, a photo
// stream, a device-made album and a hidden picture, none of which may appear.
LibraryDescription workedExample(const QString &family)
{
    LibraryDescription d;
    d.family = family;
    d.libraryUuid = kLibraryUuid;
    d.albums = {album(kRoll, 1000, "Camera Roll"), album(kLibrary, 1552, "Photo Library"),
                album(kStream, 2, "My Photo Stream", true), album(kHoliday, 1550, "Holiday"),
                album(kDeviceAlbum, 2, "On the phone")};
    d.assets = {picture(kA, {kHoliday, kLibrary}, kSyncDir, 400000000.7),
                picture(kB, {kHoliday, kLibrary}, kSyncDir, 400000100),
                picture(kC, {kLibrary}, kSyncDir, 400000200),
                picture(kRollPic, {kRoll, kDeviceAlbum}, "DCIM/100APPLE", 400000300),
                picture(kStreamPic, {kStream}, "PhotoStreamsData/1", 400000400),
                picture(kHidden, {}, kSyncDir, 400000500)};
    d.assets.last().thumbnailIndex = -1;
    return d;
}

QString generate(const LibraryDescription &d, const TempDir &dir)
{
    const QString path = dir.file("Photos.sqlite");
    QString error;
    EXPECT_TRUE(PhotoLibraryGenerator::write(d, path, &error)) << error.toStdString();
    return path;
}

MyCreatePlist::Device device(const QString &version, const QString &path,
                             std::function<std::optional<QByteArray>()> libraryPlist = {})
{
    return {version, path, std::move(libraryPlist)};
}

QString descriptionPath() { return MyHelper::getAppTempPath() + "/PhotoLibrary.plist"; }

// The written description as libplist reads it back; fails the test when the
// file is not a binary 1.0 property list with a dictionary root.
QVariantMap readDescription(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no description at " << path.toStdString();
        return {};
    }
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("bplist00"));
    plist_t root = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    EXPECT_TRUE(root && plist_get_node_type(root) == PLIST_DICT);
    plist_free(root);
    return PropertyList::fromBinary(bytes).toMap();
}

// Equal values of equal types, all the way down.
void expectSameTyped(const QVariant &actual, const QVariant &expected, const std::string &where)
{
    ASSERT_EQ(actual.typeId(), expected.typeId()) << where << ": " << actual.typeName() << " vs "
                                                  << expected.typeName();
    if (expected.typeId() == QMetaType::QVariantMap) {
        const QVariantMap a = actual.toMap(), e = expected.toMap();
        EXPECT_EQ(a.keys(), e.keys()) << where;
        for (auto it = e.cbegin(); it != e.cend(); ++it) {
            if (a.contains(it.key()))
                expectSameTyped(a.value(it.key()), it.value(), where + "/" + it.key().toStdString());
        }
    } else if (expected.typeId() == QMetaType::QVariantList) {
        const QVariantList a = actual.toList(), e = expected.toList();
        ASSERT_EQ(a.size(), e.size()) << where;
        for (qsizetype i = 0; i < e.size(); ++i)
            expectSameTyped(a.at(i), e.at(i), where + "[" + std::to_string(i) + "]");
    } else {
        EXPECT_EQ(actual, expected) << where << ": " << actual.toString().toStdString() << " vs "
                                    << expected.toString().toStdString();
    }
}

QVariantMap assetItem(int key, double modified)
{
    const double inf = std::numeric_limits<double>::infinity();
    return {{"itemType", "Asset"},
            {"caption", ""},
            {"modificationDate", qint64(modified) + 3061152000LL},
            {"isVideo", false},
            {"latitude", inf},
            {"longitude", inf},
            {"uuid", uuidText(pictureUuid(key))}};
}

QVariantList uuids(const QList<int> &keys)
{
    QVariantList list;
    for (int k : keys)
        list << uuidText(pictureUuid(k));
    return list;
}

QVariantMap libraryAlbumItem(std::optional<QList<int>> members)
{
    QVariantMap m{{"itemType", "Album"},
                  {"albumName", "My Pictures"},
                  {"uuid", "00000000-0000-0000-0000-000000000064"},
                  {"subclass", qint64(5)}};
    if (members)
        m.insert("assetUUIDs", uuids(*members));
    return m;
}

QVariantMap albumItem(int key, const QString &name, const QList<int> &members)
{
    return {{"itemType", "Album"},
            {"albumName", name},
            {"uuid", uuidText(LibraryDescription::uuidBytes(0xAB00 + quint64(key)))},
            {"subclass", qint64(1)},
            {"assetUUIDs", uuids(members)}};
}

QVariantMap described(const QVariantList &updates)
{
    QVariantMap d{{"libraryKind", "Folder"}, {"libraryUUID", kLibraryUuid}};
    if (!updates.isEmpty())
        d.insert("updates", updates);
    return d;
}

// Collects the log lines written while it lives.
class LogLines {
public:
    LogLines()
    {
        NVXLogManager::singleton().setTap([this](NVXLogManager::Level level, const QString &line) {
            std::lock_guard lock(mutex_);
            lines_ << line;
            if (level == NVXLogManager::Level::Error)
                errors_ << line;
        });
    }
    ~LogLines() { NVXLogManager::singleton().setTap({}); }
    QStringList errors() const
    {
        std::lock_guard lock(mutex_);
        return errors_;
    }
    bool contains(const QString &line) const
    {
        std::lock_guard lock(mutex_);
        return lines_.contains(line);
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_, errors_;
};

void execOn(const QString &path, const QString &sql)
{
    SqliteDatabase db(path);
    ASSERT_TRUE(db.exec(sql)) << db.lastError().toStdString();
}

// ---- The worked example, on every family ------------------------------------

class MyCreatePlistFamilyTest : public ::testing::TestWithParam<Family> {};

TEST_P(MyCreatePlistFamilyTest, WorkedExampleListsAlbumPicturesThenLibraryThenAlbums)
{
    TempDir dir;
    const QString db = generate(workedExample(GetParam().generator), dir);
    // The example's premise: the album query returns the library-wide album
    // first. Without the kind index it scans in key order; with it (the
    // other tests) it returns the synced albums first.
    execOn(db, "DROP INDEX ZGENERICALBUM_ZKIND_INDEX");
    MyCreatePlist builder(device(GetParam().version, db));
    const QString path = builder.createSyncPlistContent(0);
    ASSERT_EQ(path, descriptionPath());

    const QVariantList updates{assetItem(kA, 400000000), assetItem(kB, 400000100), assetItem(kC, 400000200),
                               libraryAlbumItem(QList<int>{kC, kA, kB}), albumItem(kHoliday, "Holiday", {kA, kB})};
    expectSameTyped(readDescription(path), described(updates), "root");
}

INSTANTIATE_TEST_SUITE_P(MyCreatePlist, MyCreatePlistFamilyTest, ::testing::ValuesIn(kFamilies),
                         [](const auto &info) { return QString(info.param.generator).remove('.').prepend("F").toStdString(); });

TEST(MyCreatePlist, CoordinatesAreFourByteInfinityAndDatesKeepSixtyFourBits)
{
    TempDir dir;
    const QString db = generate(workedExample("6"), dir);
    const QString path = MyCreatePlist(device("6.1.3", db)).createSyncPlistContent(0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("227f800000"))) << "4-byte real +infinity";
    EXPECT_FALSE(bytes.contains(QByteArray::fromHex("237ff0000000000000"))) << "no 8-byte infinity";
    // 400000000 + 3061152000 does not fit 31 bits: it must come back unchanged.
    const QVariantMap first = readDescription(path).value("updates").toList().value(0).toMap();
    EXPECT_EQ(first.value("modificationDate").toLongLong(), 3461152000LL);
}

TEST(MyCreatePlist, PictureInTwoSyncedAlbumsIsListedOncePerAlbum)
{
    TempDir dir;
    LibraryDescription d = workedExample("7");
    d.albums << album(kTrip, 1550, "Trip");
    d.assets[1].albums << kTrip; // B is in Holiday and Trip
    const QString path = MyCreatePlist(device("7.1.2", generate(d, dir))).createSyncPlistContent(0);
    const QVariantList updates{assetItem(kA, 400000000), assetItem(kB, 400000100), assetItem(kB, 400000100),
                               assetItem(kC, 400000200), albumItem(kHoliday, "Holiday", {kA, kB}),
                               albumItem(kTrip, "Trip", {kB}), libraryAlbumItem(QList<int>{kC, kA, kB, kB})};
    expectSameTyped(readDescription(path), described(updates), "root");
}

// ---- Deletions ----------------------------------------------------------------

TEST(MyCreatePlist, DeletingAnAlbumWithItsPicturesDropsThemEverywhere)
{
    TempDir dir;
    const QString db = generate(workedExample("6"), dir);
    const QVariantMap remove{{"albumZpks", QVariantList{kHoliday}}, {"photoZpks", QVariantList{kA, kB}}};
    MyCreatePlist builder(remove, {}, true, false, device("6.1.3", db));
    const QVariantList updates{assetItem(kC, 400000200), libraryAlbumItem(QList<int>{kC})};
    expectSameTyped(readDescription(builder.createSyncPlistContent(0)), described(updates), "root");
}

TEST(MyCreatePlist, DeletingAPictureOfAnAlbumAndTheLibraryDropsItFromBoth)
{
    TempDir dir;
    const QString db = generate(workedExample("8.3"), dir);
    MyCreatePlist builder({}, {kA}, false, true, device("8.3", db));
    const QVariantList updates{assetItem(kB, 400000100), assetItem(kC, 400000200),
                               albumItem(kHoliday, "Holiday", {kB}), libraryAlbumItem(QList<int>{kC, kB})};
    expectSameTyped(readDescription(builder.createSyncPlistContent(0)), described(updates), "root");
}

TEST(MyCreatePlist, DeletingEveryPictureOfAnAlbumLeavesItAnEmptyList)
{
    TempDir dir;
    const QString db = generate(workedExample("5"), dir);
    MyCreatePlist builder({}, {kA, kB}, false, true, device("5.1.1", db));
    const QVariantList updates{assetItem(kC, 400000200), albumItem(kHoliday, "Holiday", {}),
                               libraryAlbumItem(QList<int>{kC})};
    expectSameTyped(readDescription(builder.createSyncPlistContent(0)), described(updates), "root");
}

// ---- Small libraries and the library UUID ---------------------------------------

TEST(MyCreatePlist, OnlyTheLibraryWideAlbumGivesMyPicturesWithoutMembers)
{
    TempDir dir;
    LibraryDescription d;
    d.family = "6";
    d.libraryUuid = kLibraryUuid;
    d.albums = {album(kRoll, 1000, "Camera Roll"), album(kLibrary, 1552, "Photo Library")};
    d.assets = {picture(kRollPic, {kRoll}, "DCIM/100APPLE", 400000300)};
    const QString path = MyCreatePlist(device("6.1.3", generate(d, dir))).createSyncPlistContent(0);
    expectSameTyped(readDescription(path), described({libraryAlbumItem(std::nullopt)}), "root");
}

TEST(MyCreatePlist, LibraryWithoutSyncedAlbumsHasNoUpdates)
{
    TempDir dir;
    LibraryDescription d;
    d.family = "8.0";
    d.libraryUuid = kLibraryUuid;
    d.albums = {album(kRoll, 1000, "Camera Roll")};
    d.assets = {picture(kRollPic, {kRoll}, "DCIM/100APPLE", 400000300)};
    LogLines log;
    const QString path = MyCreatePlist(device("8.1.2", generate(d, dir))).createSyncPlistContent(0);
    expectSameTyped(readDescription(path), described({}), "root");
    EXPECT_TRUE(log.errors().isEmpty()) << log.errors().join('\n').toStdString();
}

TEST(MyCreatePlist, LibraryUuidComesFromTheDeviceFileBeforeTheDatabase)
{
    TempDir dir;
    const QString db = generate(workedExample("6"), dir);
    const QByteArray devicePlist = PropertyList::toXml(QVariantMap{{"libraryUUID", "FROM-THE-DEVICE"}});
    struct Case {
        const char *name;
        std::function<std::optional<QByteArray>()> source;
        QString expected;
    } cases[] = {
        {"device file", [&] { return std::optional(devicePlist); }, "FROM-THE-DEVICE"},
        {"no device file", [] { return std::optional<QByteArray>(); }, kLibraryUuid},
        {"no source", {}, kLibraryUuid},
        {"unreadable device file", [] { return std::optional(QByteArray()); }, QString()},
        {"device file without the key", [] { return std::optional(PropertyList::toXml(QVariantMap{{"x", 1}})); },
         QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MyCreatePlist(device("6.1.3", db, c.source)).getPhotoLibraryUUID(), c.expected);
    }
}

TEST(MyCreatePlist, NoLibraryUuidGivesLibraryKindOnly)
{
    TempDir dir;
    const QString db = generate(workedExample("6"), dir);
    const QVariantMap kindOnly{{"libraryKind", "Folder"}};
    {
        SCOPED_TRACE("unreadable device file");
        MyCreatePlist builder(device("6.1.3", db, [] { return std::optional(QByteArray("garbage")); }));
        expectSameTyped(readDescription(builder.createSyncPlistContent(0)), kindOnly, "root");
    }
    execOn(db, "UPDATE Z_METADATA SET Z_UUID = NULL");
    {
        SCOPED_TRACE("null Z_UUID");
        expectSameTyped(readDescription(MyCreatePlist(device("6.1.3", db)).createSyncPlistContent(0)), kindOnly,
                        "root");
    }
    execOn(db, "DELETE FROM Z_METADATA");
    {
        SCOPED_TRACE("no Z_METADATA row");
        expectSameTyped(readDescription(MyCreatePlist(device("6.1.3", db)).createSyncPlistContent(0)), kindOnly,
                        "root");
    }
}

// ---- A working copy that cannot be read ---------------------------------------------

TEST(MyCreatePlist, UnreadableWorkingCopyWritesNoDescription)
{
    struct Case {
        const char *name;
        std::function<void(const QString &db)> damage;
        const char *version = "6.1.3";
    } cases[] = {
        {"missing file", [](const QString &db) { QFile::remove(db); QFile::remove(db + "-wal"); }},
        {"corrupt file",
         [](const QString &db) {
             QFile::remove(db + "-wal");
             QFile::remove(db + "-shm");
             QFile f(db);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write(QByteArray(8192, '\x5a'));
         }},
        {"join table missing", [](const QString &db) { execOn(db, "DROP TABLE Z_8ASSETS"); }},
        {"album table missing", [](const QString &db) { execOn(db, "DROP TABLE ZGENERICALBUM"); }},
        {"asset table missing", [](const QString &db) { execOn(db, "DROP TABLE ZGENERICASSET"); }},
        {"metadata table missing", [](const QString &db) { execOn(db, "DROP TABLE Z_METADATA"); }},
        {"unsupported release", [](const QString &) {}, "4.3.5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString db = generate(workedExample("6"), dir);
        c.damage(db);
        // An earlier description must not survive to be sent instead.
        QFile stale(descriptionPath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();

        LogLines log;
        MyCreatePlist builder(device(c.version, db));
        EXPECT_FALSE(builder.getPlistDictionary().has_value());
        EXPECT_TRUE(builder.createSyncPlistContent(0).isNull());
        EXPECT_FALSE(QFileInfo::exists(descriptionPath()));
        EXPECT_FALSE(builder.lastError().isEmpty());
        EXPECT_FALSE(log.errors().isEmpty());
        EXPECT_TRUE(log.contains("plist file is nil"));
    }
}

TEST(MyCreatePlist, MissingWorkingCopyIsNotCreatedAndAllocatesNothing)
{
    TempDir dir;
    const QString db = dir.file("Photos.sqlite");
    MyCreatePlist builder(device("6.1.3", db));
    EXPECT_EQ(builder.allocator(), nullptr);
    EXPECT_TRUE(builder.getMaxAlbumUUID().isNull());
    EXPECT_TRUE(builder.createNullAlbumInfo("New").isEmpty());
    EXPECT_TRUE(builder.getMaxZ_PKUUID().isNull());
    EXPECT_FALSE(QFileInfo::exists(db));
}

// ---- The library-only statement ----------------------------------------------------

TEST(MyCreatePlist, LibraryOnlyStatementPerFamily)
{
    struct Case {
        const PhotoSqlSchema &schema;
        int roll, stream;
        QList<int> albums;
        const char *expected;
    } cases[] = {
        {PhotoSqlSchema::ios5(), 1, 2, {5, 7},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK NOT IN (SELECT Z_11ASSETS FROM "
         "Z_6ASSETS WHERE Z_6ALBUMS=1 OR Z_6ALBUMS=2 OR Z_6ALBUMS=5 OR Z_6ALBUMS=7) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios6(), 1, 2, {5, 7},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK NOT IN (SELECT Z_14ASSETS FROM "
         "Z_8ASSETS WHERE Z_8ALBUMS=1 OR Z_8ALBUMS=2 OR Z_8ALBUMS=5 OR Z_8ALBUMS=7) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios7(), 1, 2, {5, 7},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK NOT IN (SELECT Z_17ASSETS FROM "
         "Z_11ASSETS WHERE Z_11ALBUMS=1 OR Z_11ALBUMS=2 OR Z_11ALBUMS=5 OR Z_11ALBUMS=7) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios8(), 1, 2, {5, 7},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE ZSAVEDASSETTYPE=256 AND Z_PK NOT IN "
         "(SELECT Z_23ASSETS FROM Z_16ASSETS WHERE Z_16ALBUMS=1 OR Z_16ALBUMS=2 OR Z_16ALBUMS=5 OR "
         "Z_16ALBUMS=7) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios83(), 1, 2, {5, 7},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE ZSAVEDASSETTYPE=256 AND Z_PK NOT IN "
         "(SELECT Z_24ASSETS FROM Z_17ASSETS WHERE Z_17ALBUMS=1 OR Z_17ALBUMS=2 OR Z_17ALBUMS=5 OR "
         "Z_17ALBUMS=7) AND ZTHUMBNAILINDEX>=0"},
        // Keys that are not positive are left out; the first remaining one opens the WHERE.
        {PhotoSqlSchema::ios6(), -1, 2, {},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK NOT IN (SELECT Z_14ASSETS FROM "
         "Z_8ASSETS WHERE Z_8ALBUMS=2) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios6(), -1, -1, {9},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK NOT IN (SELECT Z_14ASSETS FROM "
         "Z_8ASSETS WHERE Z_8ALBUMS=9) AND ZTHUMBNAILINDEX>=0"},
        {PhotoSqlSchema::ios8(), -1, -1, {},
         "SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE ZSAVEDASSETTYPE=256 AND Z_PK NOT IN "
         "(SELECT Z_23ASSETS FROM Z_16ASSETS) AND ZTHUMBNAILINDEX>=0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(MyCreatePlist::photoLibraryStatement(c.schema, c.roll, c.stream, c.albums),
                  QString::fromLatin1(c.expected));
    }
}

// ---- Records to items ----------------------------------------------------------------

TEST(MyCreatePlist, PhotoUuidsSkipRecordsWithoutOne)
{
    auto rec = [](const QString &uuid) {
        auto r = std::make_shared<MyPhotoOrAlbumInfo>();
        r->setPhotoUUID(uuid);
        return r;
    };
    const QList<MyCreatePlist::RecordList> groups{{rec("A"), rec(QString())}, {}, {rec("B"), rec("A")}};
    EXPECT_EQ(MyCreatePlist::getPhotoUUID(groups), QStringList({"A", "B", "A"}));
    EXPECT_TRUE(MyCreatePlist::createPhotoPlistDict({rec(QString())}).isEmpty());
}

// ---- UUID allocation -------------------------------------------------------------------

TEST(MyCreatePlistUuid, IncrementCarriesThroughTheWholeValue)
{
    struct Case {
        const char *from;      // hexadecimal bytes
        const char *expected;  // text of the next value
    } cases[] = {
        {"5a3e9c1d0000000000000000000000ff", "5A3E9C1D-0000-0000-0000-000000000100"},
        {"5a3e9c1d000000000000000000ffffff", "5A3E9C1D-0000-0000-0000-000001000000"},
        {"5a3e9c1d00000000ffffffffffffffff", "5A3E9C1D-0000-0001-0000-000000000000"},
        {"00000066", "00000000-0000-0000-0000-000000000067"},
        {"ab", "00000000-0000-0000-0000-0000000000AC"},
        {"ffffffffffffffffffffffffffffffff", "00000000-0000-0000-0000-000000000000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.from);
        const QByteArray bytes = QByteArray::fromHex(c.from);
        EXPECT_EQ(MyCreatePlist::getMaxUUIDAdd1(bytes), QString::fromLatin1(c.expected));
        EXPECT_EQ(NVXUUIDAllocator(bytes).next(), QString::fromLatin1(c.expected));
    }
}

TEST(MyCreatePlistUuid, AllocatorCountsOnAndStepsOverUsedValues)
{
    const QByteArray start = QByteArray::fromHex("000000000000000000000000000000fe");
    NVXUUIDAllocator a(start, {QByteArray::fromHex("00000000000000000000000000000100")});
    EXPECT_EQ(a.next(), "00000000-0000-0000-0000-0000000000FF");
    EXPECT_EQ(a.next(), "00000000-0000-0000-0000-000000000101");
    EXPECT_EQ(NVXUUIDAllocator::fromText("5a3e9c1d-0000-0000-0000-0000000000ff"),
              QByteArray::fromHex("5a3e9c1d0000000000000000000000ff"));
    EXPECT_TRUE(NVXUUIDAllocator::fromText("5A3E9C1D-0000").isNull());
}

TEST(MyCreatePlistUuid, DeviceWithoutSyncedPicturesStartsAt67)
{
    for (const Family &f : kFamilies) {
        SCOPED_TRACE(f.generator);
        TempDir dir;
        LibraryDescription d;
        d.family = f.generator;
        d.albums = {album(kRoll, 1000, "Camera Roll"), album(kLibrary, 1552, "Photo Library")};
        d.assets = {picture(kRollPic, {kRoll}, "DCIM/100APPLE", 400000300)};
        MyCreatePlist builder(device(f.version, generate(d, dir)));
        EXPECT_EQ(builder.getMaxZ_PKUUID(), QByteArray::fromHex("00000066"));
        const QVariantMap album = builder.createNullAlbumInfo("Summer");
        const QVariantMap expected{{"albumName", "Summer"},
                                   {"itemType", "Album"},
                                   {"subclass", qint64(1)},
                                   {"uuid", "00000000-0000-0000-0000-000000000067"}};
        EXPECT_EQ(album, expected);
        // The next picture of the same description takes the next value.
        EXPECT_EQ(builder.allocator()->next(), "00000000-0000-0000-0000-000000000068");
    }
}

TEST(MyCreatePlistUuid, NewAlbumAndPictureUuidsDifferFromEachOtherAndTheDatabase)
{
    for (const Family &f : kFamilies) {
        SCOPED_TRACE(f.generator);
        TempDir dir;
        LibraryDescription d = workedExample(f.generator);
        // The values just above the largest synced UUID are taken already: by
        // a camera-roll picture and by an album.
        const QByteArray largest = pictureUuid(kHidden);
        d.assets[3].uuid = NVXUUIDAllocator::increment(largest);
        d.albums[4].uuid = NVXUUIDAllocator::increment(d.assets[3].uuid);
        MyCreatePlist builder(device(f.version, generate(d, dir)));
        EXPECT_EQ(builder.getMaxZ_PKUUID(), largest);

        QSet<QString> existing;
        for (const FixtureAsset &a : d.assets)
            existing << uuidText(a.uuid);
        for (const FixtureAlbum &a : d.albums)
            existing << uuidText(a.uuid);

        const std::shared_ptr<NVXUUIDAllocator> allocator = builder.allocator();
        ASSERT_NE(allocator, nullptr);
        QSet<QString> allocated;
        for (int i = 0; i < 3; ++i)
            allocated << allocator->next();
        const QString albumUuid = builder.createNullAlbumInfo("New album").value("uuid").toString();
        allocated << albumUuid;
        EXPECT_EQ(allocated.size(), 4);
        EXPECT_FALSE(allocated.intersects(existing));
        // The counter starts above the largest synced UUID and steps over the
        // two taken values.
        EXPECT_TRUE(allocated.contains(uuidText(NVXUUIDAllocator::increment(d.albums[4].uuid))));
    }
}

TEST(MyCreatePlistUuid, BuildersCanShareOneCounter)
{
    TempDir dir;
    const QString db = generate(workedExample("8.0"), dir);
    MyCreatePlist first(device("8.1.2", db));
    const QString picture = first.allocator()->next();
    MyCreatePlist second(device("8.1.2", db));
    second.setAllocator(first.allocator());
    const QString albumUuid = second.getMaxAlbumUUID();
    EXPECT_NE(albumUuid, picture);
    EXPECT_EQ(albumUuid, uuidText(NVXUUIDAllocator::increment(NVXUUIDAllocator::fromText(picture))));
}

} // namespace
