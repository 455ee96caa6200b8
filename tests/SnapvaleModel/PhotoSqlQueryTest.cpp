// The per-family query sets, run against generated device databases.

#include "LibraryDescription.h"
#include "MyGetIos6PhotoSqlData.h"
#include "MyHelper.h"
#include "NVXGetIos7PhotoSqlData.h"
#include "NVXGetiOS83PhotoSqlData.h"
#include "NVXGetiOS8PhotoSqlData.h"
#include "NVXLogManager.h"
#include "PhotoLibraryGenerator.h"
#include "TempDir.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

// Uniform access to the five query sets, whichever class a family uses.
struct Queries {
    std::function<NVXPhotoList(const QString &)> cameraRoll, stream, library, albums;
    std::function<NVXPhotoList(const QString &, int)> importAlbums, albumPhotos;
    std::function<int(const QString &)> libraryKey;
};

template <typename Q>
Queries plain()
{
    return {[](const QString &p) { return Q(p).OueryCameraRollAlbum(); },
            [](const QString &p) { return Q(p).OueryPhotoStreamAlbum(); },
            [](const QString &p) { return Q(p).OueryPhotoLibraryAlbum(); },
            [](const QString &p) { return Q(p).OueryOthersAlbum(); },
            [](const QString &p, int k) { return Q(p).OueryImportAlbum(k); },
            [](const QString &p, int k) { return Q(p).OueryOthersPhoto(k); },
            [](const QString &p) { return Q(p).getPhotoLibraryZPK(); }};
}

Queries tagged(const QString &tag)
{
    using Q = MyGetIos6PhotoSqlData;
    return {[tag](const QString &p) { return Q(p).OueryCameraRollAlbum(tag); },
            [tag](const QString &p) { return Q(p).OueryPhotoStreamAlbum(tag); },
            [tag](const QString &p) { return Q(p).OueryPhotoLibraryAlbum(tag); },
            [tag](const QString &p) { return Q(p).OueryOthersAlbum(tag); },
            [tag](const QString &p, int k) { return Q(p).OueryImportAlbum(k, tag); },
            [tag](const QString &p, int k) { return Q(p).OueryOthersPhoto(k, tag); },
            [](const QString &p) { return Q(p).getPhotoLibraryZPK(); }};
}

struct Family {
    const char *name;  // generator family
    int code;
    Queries (*queries)();
};

const Family kFamilies[] = {
    {"5", 5, [] { return tagged("IOS5.0"); }},
    {"6", 6, [] { return tagged("IOS6.0"); }},
    {"7", 7, [] { return plain<NVXGetIos7PhotoSqlData>(); }},
    {"8.0", 8, [] { return plain<NVXGetiOS8PhotoSqlData>(); }},
    {"8.3", 8, [] { return plain<NVXGetiOS83PhotoSqlData>(); }},
};

constexpr int kRoll = 1, kLibraryAlbum = 2, kStream = 3, kSynced = 10, kDeviceEmpty = 11, kSyncedLater = 12;

FixtureAlbum album(int key, int kind, const QString &title, bool stream = false)
{
    return LibraryDescription::makeAlbum(key, kind, title, stream);
}

FixtureAsset asset(int key, QList<int> albums, int modified = 0)
{
    FixtureAsset a;
    a.key = key;
    a.uuid = LibraryDescription::uuidBytes(quint64(key));
    a.fileName = QStringLiteral("IMG_%1.JPG").arg(key);
    a.title = QStringLiteral("IMG_%1").arg(key);
    a.modified = modified ? modified : 1000 * key;
    a.savedAssetType = 256;
    a.width = a.originalWidth = 640 + key;
    a.height = a.originalHeight = 480 + key;
    a.fileSize = 10000 + key;
    a.orientation = 1 + key % 8;
    a.albums = albums;
    return a;
}

// A library that exercises every membership rule:
//  1 camera roll, 2 stream, 3 library + synced album, 4 library in no album,
//  5 in no album with saved-asset type 0, 6 camera roll with a negative
//  thumbnail index, 7 camera roll without attributes row, 8 synced album
//  without attributes row, 9 device-made album member from the camera roll.
LibraryDescription membershipLibrary(const QString &family)
{
    LibraryDescription d;
    d.family = family;
    d.albums = {album(kRoll, 1000, "Camera Roll"), album(kLibraryAlbum, 1552, "Photo Library"),
                album(kStream, 1500, "Photo Stream", true), album(kSynced, 1550, "Synced"),
                album(kDeviceEmpty, 2, "Empty"), album(kSyncedLater, 1550, "Later")};
    d.assets = {asset(1, {kRoll}), asset(2, {kStream}), asset(3, {kLibraryAlbum, kSynced}),
                asset(4, {kLibraryAlbum}), asset(5, {}), asset(6, {kRoll}), asset(7, {kRoll}),
                asset(8, {kSynced}), asset(9, {kRoll, kSyncedLater})};
    d.assets[4].savedAssetType = 0;
    d.assets[5].thumbnailIndex = -1;
    d.assets[6].hasAttributes = false;
    d.assets[7].hasAttributes = false;
    return d;
}

QSet<int> keys(const NVXPhotoList &list)
{
    QSet<int> s;
    for (const auto &p : *list)
        s.insert(p->photoZpk);
    return s;
}

NVXPhotoDataPtr albumByKey(const NVXPhotoList &albums, int key)
{
    for (const auto &a : *albums)
        if (a->albumZpk == key)
            return a;
    return nullptr;
}

class FamilyQueries : public ::testing::TestWithParam<Family> {
protected:
    QString write(const LibraryDescription &d)
    {
        const QString path = dir.file("Photos.sqlite");
        QString error;
        EXPECT_TRUE(PhotoLibraryGenerator::write(d, path, &error)) << error.toStdString();
        return path;
    }
    TempDir dir;
};

TEST_P(FamilyQueries, CategoryMembership)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    const QString db = write(membershipLibrary(f.name));

    EXPECT_EQ(keys(q.cameraRoll(db)), QSet<int>({1, 9}));
    EXPECT_EQ(keys(q.stream(db)), QSet<int>({2}));
    // Asset 5 (in no album, saved-asset type 0) is library only before family 8.
    const QSet<int> library = f.code == 8 ? QSet<int>{3, 4} : QSet<int>{3, 4, 5};
    EXPECT_EQ(keys(q.library(db)), library);
    EXPECT_EQ(q.libraryKey(db), kLibraryAlbum);

    const NVXPhotoList albums = q.albums(db);
    ASSERT_EQ(albums->size(), 3); // kinds 2 and 1550 only
    EXPECT_EQ(albumByKey(albums, kSynced)->photoCounts, 2);
    EXPECT_EQ(albumByKey(albums, kSynced)->albumKind, 1550);
    EXPECT_EQ(albumByKey(albums, kSynced)->albumTitle, "Synced");
    EXPECT_EQ(albumByKey(albums, kDeviceEmpty)->photoCounts, 0);
    EXPECT_EQ(albumByKey(albums, kDeviceEmpty)->albumKind, 2);
    EXPECT_TRUE(q.albumPhotos(db, kDeviceEmpty)->isEmpty());

    // Family 5 joins the attributes row with an inner join; later families
    // list asset 8 with zero orientation and size.
    const NVXPhotoList synced = q.albumPhotos(db, kSynced);
    if (f.code == 5) {
        EXPECT_EQ(keys(synced), QSet<int>({3}));
    } else {
        ASSERT_EQ(keys(synced), QSet<int>({3, 8}));
        for (const auto &p : *synced) {
            EXPECT_EQ(p->photoAsset, kSynced);
            if (p->photoZpk == 8) {
                EXPECT_EQ(p->photoRiginal, 0);
                EXPECT_EQ(p->photoSize, 0);
                EXPECT_EQ(p->photoName, "IMG_8.JPG");
            }
        }
    }

    const NVXPhotoList later = q.importAlbums(db, kSynced);
    ASSERT_EQ(later->size(), 1);
    EXPECT_EQ(later->first()->albumZpk, kSyncedLater);
    EXPECT_EQ(q.importAlbums(db, 0)->size(), 2);
}

TEST_P(FamilyQueries, RecordFieldsAndUuidRendering)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    LibraryDescription d = membershipLibrary(f.name);
    d.assets[0].subtype = 1;
    d.assets[0].created = 86400.5;
    const QString db = write(d);

    const NVXPhotoList roll = q.cameraRoll(db);
    NVXPhotoDataPtr p;
    for (const auto &r : *roll)
        if (r->photoZpk == 1)
            p = r;
    ASSERT_TRUE(p);
    EXPECT_EQ(p->photoName, "IMG_1.JPG");
    EXPECT_EQ(p->photoPath, "DCIM/100APPLE");
    EXPECT_EQ(p->photoDateData, 1000);
    EXPECT_EQ(p->photoWidth, 641);
    EXPECT_EQ(p->photoHeight, 481);
    EXPECT_EQ(p->photoSize, 10001);
    EXPECT_EQ(p->photoRiginal, 2);
    EXPECT_EQ(p->photoKind, 0);
    EXPECT_EQ(p->photoAsset, 0);
    EXPECT_EQ(p->albumZpk, 0);
    EXPECT_EQ(p->photoDate, QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500), Qt::UTC));

    const QByteArray bytes = LibraryDescription::uuidBytes(1);
    const QString text = MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(bytes));
    if (f.code == 8) {
        EXPECT_EQ(p->photoUUIDString, text);
        EXPECT_EQ(p->photoUUID, text.toLatin1()); // the text column's characters
        EXPECT_EQ(p->photoKindSubtype, 1);
        EXPECT_TRUE(p->photoTitle.isNull());
    } else {
        EXPECT_EQ(p->photoUUID, bytes);
        EXPECT_TRUE(p->photoUUIDString.isNull());
        if (f.code == 7) {
            EXPECT_EQ(p->photoKindSubtype, 1);
            EXPECT_TRUE(p->photoTitle.isNull());
        } else {
            EXPECT_EQ(p->photoKindSubtype, 0);
            EXPECT_EQ(p->photoTitle, "IMG_1");
        }
    }
    const auto a = albumByKey(q.albums(db), kSynced);
    EXPECT_EQ(a->albumUUIDString.isNull(), f.code != 8);
    EXPECT_TRUE(a->photoZpk == 0 && a->photoName.isNull());
}

TEST_P(FamilyQueries, LibraryExclusionFollowsTheAlbumKeys)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    struct Case {
        const char *what;
        bool withRoll, withStream;
        int rollKey;
        QSet<int> library;
    } cases[] = {
        // Only a camera roll: stream members count as library pictures.
        {"camera roll only", true, false, kRoll, {2, 3, 4}},
        {"stream only", false, true, 0, {1, 3, 4}},
        {"neither album", false, false, 0, {}},
        // A key of 0 adds no album condition: members of every album are excluded.
        {"camera roll key 0", true, false, 0, {4}},
    };
    for (const Case &c : cases) {
        LibraryDescription d;
        d.family = f.name;
        if (c.withRoll)
            d.albums.append(album(c.rollKey, 1000, "Camera Roll"));
        if (c.withStream)
            d.albums.append(album(kStream, 1500, "Stream", true));
        d.albums.append(album(kLibraryAlbum, 1552, "Photo Library"));
        d.assets = {asset(1, {c.rollKey}), asset(2, {kStream}), asset(3, {kLibraryAlbum}), asset(4, {})};
        if (!c.withRoll)
            d.assets[0].albums.clear();
        const QString db = write(d);
        EXPECT_EQ(keys(q.library(db)), c.library) << c.what;
        if (!c.withRoll) {
            EXPECT_TRUE(q.cameraRoll(db)->isEmpty()) << c.what;
        }
    }
}

TEST_P(FamilyQueries, NullColumnsAndHostileTextStayData)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    LibraryDescription d = membershipLibrary(f.name);
    FixtureAsset &nulls = d.assets[0];
    nulls.uuid.clear();
    nulls.directory.reset();
    nulls.fileName.reset();
    nulls.title.reset();
    FixtureAsset &odd = d.assets[8];
    const QString longName = QString(5000, QChar(u'é')) + ".JPG";
    odd.fileName = "../../x";
    odd.directory = "../../..";
    odd.title = longName;
    d.albums[3].title = QStringLiteral("Ferien 2014 — 日本 ../../etc");
    const QString db = write(d);

    const NVXPhotoList roll = q.cameraRoll(db);
    ASSERT_EQ(roll->size(), 2);
    for (const auto &p : *roll) {
        if (p->photoZpk == 1) {
            EXPECT_TRUE(p->photoName.isNull());
            EXPECT_TRUE(p->photoPath.isNull());
            EXPECT_TRUE(p->photoUUID.isNull());
            EXPECT_TRUE(p->photoUUIDString.isNull());
            EXPECT_TRUE(p->photoTitle.isNull());
        } else {
            EXPECT_EQ(p->photoName, "../../x");
            EXPECT_EQ(p->photoPath, "../../..");
            if (f.code <= 6) {
                EXPECT_EQ(p->photoTitle, longName);
            }
        }
    }
    EXPECT_EQ(albumByKey(q.albums(db), kSynced)->albumTitle, QStringLiteral("Ferien 2014 — 日本 ../../etc"));
    // Nothing was created from the hostile names.
    EXPECT_FALSE(QFile::exists(dir.file("../../x")));
}

TEST_P(FamilyQueries, BadInputGivesEmptyLists)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    auto expectEmpty = [&](const QString &db, const char *what) {
        EXPECT_TRUE(q.cameraRoll(db)->isEmpty()) << what;
        EXPECT_TRUE(q.stream(db)->isEmpty()) << what;
        EXPECT_TRUE(q.library(db)->isEmpty()) << what;
        EXPECT_TRUE(q.albums(db)->isEmpty()) << what;
        EXPECT_TRUE(q.importAlbums(db, 0)->isEmpty()) << what;
        EXPECT_TRUE(q.albumPhotos(db, kSynced)->isEmpty()) << what;
        EXPECT_EQ(q.libraryKey(db), -1) << what;
    };
    expectEmpty(dir.file("missing.sqlite"), "missing file");

    const QString garbage = dir.file("garbage.sqlite");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    expectEmpty(garbage, "not a database");

    // A database of another family: its join table is not there.
    const char *other = QString(f.name) == "8.3" ? "5" : "8.3";
    LibraryDescription d = membershipLibrary(other);
    d.albums.removeAt(1); // no photo-library album either
    const QString db = write(d);
    EXPECT_TRUE(q.cameraRoll(db)->isEmpty());
    EXPECT_TRUE(q.library(db)->isEmpty());
    EXPECT_TRUE(q.albums(db)->isEmpty());
    EXPECT_TRUE(q.albumPhotos(db, kSynced)->isEmpty());
}

TEST_P(FamilyQueries, EveryQueryLogsBeforeAndAfter)
{
    const Family f = GetParam();
    const Queries q = f.queries();
    const QString db = write(membershipLibrary(f.name));
    QStringList lines;
    NVXLogManager::singleton().setTap([&](NVXLogManager::Level, const QString &line) { lines << line; });
    q.cameraRoll(db);
    q.stream(db);
    q.library(db);
    q.albums(db);
    q.importAlbums(db, 0);
    q.albumPhotos(db, kSynced);
    NVXLogManager::singleton().setTap({});
    const QString end = f.code <= 6 ? "query correspond album photodata end" : "Query correspond album photodata end";
    EXPECT_EQ(lines, QStringList({"Begin query CameraRoll photodata", "Query CameraRoll photodata end",
                                  "Begin query PhotoStream photodata", "Query PhotoStream photodata end",
                                  "Begin query PhotoLibrary photodata", "Query PhotoLibrary photodata end",
                                  "Begin query OthersAlbum data", "Query OthersAlbum data end",
                                  "Begin query just ImportAlbum data", "Query just ImportAlbum data end",
                                  "Begin query correspond album photodata", end}));
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, FamilyQueries, ::testing::ValuesIn(kFamilies),
                         [](const auto &info) {
                             return std::string("Family") + QString(info.param.name).remove('.').toStdString();
                         });

} // namespace

namespace {

// Readers on other connections open and close the copy at the same time
// (recovering and checkpointing its log); no reader may see an empty list.
TEST(PhotoSqlQueryConcurrency, ParallelReadersOfAFreshCopySeeEveryRow)
{
    for (int round = 0; round < 5; ++round) {
        TempDir dir;
        const QString db = dir.file("Photos.sqlite");
        ASSERT_TRUE(PhotoLibraryGenerator::write(LibraryDescription::generated("8.3", 40, 30, 10, 2), db));
        std::vector<qsizetype> sizes(4, -1);
        std::vector<std::thread> readers;
        for (size_t i = 0; i < sizes.size(); ++i)
            readers.emplace_back([&, i] { sizes[i] = NVXGetiOS83PhotoSqlData(db).OueryPhotoLibraryAlbum()->size(); });
        for (auto &t : readers)
            t.join();
        EXPECT_EQ(sizes, std::vector<qsizetype>(4, 30)) << "round " << round;
    }
}

} // namespace
