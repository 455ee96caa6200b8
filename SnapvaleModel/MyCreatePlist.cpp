#include "MyCreatePlist.h"

#include "MyHelper.h"
#include "NVXLogManager.h"
#include "PhotoSqlSchema.h"
#include "PropertyList.h"
#include "SqliteDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <limits>

namespace {

void logInfo(const QString &line) { NVXLogManager::singleton().writeInfoLog(line); }
void logWarn(const QString &line) { NVXLogManager::singleton().writeWarnLog(line); }

const QString kAlbumsStatement =
    QStringLiteral("select Z_PK,ZTITLE,ZKIND,ZUUID from ZGENERICALBUM where ZKIND = 1550 or ZKIND =1552");
const QString kMaxSyncedUuid = QStringLiteral(
    "select max(ZUUID) ZUUID from ZGENERICASSET where Z_PK in (select z_pk from ZGENERICASSET where ZDIRECTORY "
    "like '%Sync%')");
const QString kLibraryUuidStatement = QStringLiteral("select Z_UUID from Z_METADATA");

constexpr int kKindLibrary = 1552;
constexpr int kKindDeviceAlbum = 2;
// Counter start when the device holds no synced picture: the first new UUID
// is then ...0067.
constexpr qint32 kNoSyncedUuid = 102;

// Removes the last record (searching from the end) whose key matches.
template <typename Key>
void removeLastMatch(MyCreatePlist::RecordList &list, int key, Key keyOf)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        if (keyOf(*list.at(i)) == key) {
            list.removeAt(i);
            return;
        }
    }
}

QList<int> intList(const QVariant &value)
{
    QList<int> keys;
    for (const QVariant &v : value.toList())
        keys << v.toInt();
    return keys;
}

const auto photoKey = [](const MyPhotoOrAlbumInfo &r) { return r.photoZpk(); };
const auto albumKey = [](const MyPhotoOrAlbumInfo &r) { return r.albumZpk(); };

} // namespace

const QString MyCreatePlist::kLibraryAlbumName = QStringLiteral("My Pictures");
const QString MyCreatePlist::kLibraryAlbumUUID = QStringLiteral("00000000-0000-0000-0000-000000000064");
const QString MyCreatePlist::kFileName = QStringLiteral("PhotoLibrary.plist");

MyCreatePlist::MyCreatePlist(Device device) : MyCreatePlist({}, {}, false, false, std::move(device)) {}

MyCreatePlist::MyCreatePlist(QVariantMap removeAlbums, QList<int> removePhotos, bool isDeleteAlbum, bool isDelete,
                             Device device)
    : isDelete_(isDelete),
      isDeleteAlbum_(isDeleteAlbum),
      removeAlbums_(std::move(removeAlbums)),
      removePhotos_(std::move(removePhotos)),
      sqlPath_(std::move(device.sqlPath)),
      productVersion_(std::move(device.productVersion)),
      libraryUuidSource_(std::move(device.currentLibraryUuidPlist))
{
    const bool exists = !sqlPath_.isEmpty() && QFileInfo(sqlPath_).isFile();
    std::fprintf(stderr, "createPlist DB path:%s %s\n", sqlPath_.toUtf8().constData(),
                 exists ? "exist" : "not exist");
    // Never open a missing copy: opening would create an empty database,
    // which reads as an empty library.
    if (exists)
        db_ = std::make_unique<SqliteDatabase>(sqlPath_);
    schema_ = PhotoSqlSchema::forVersion(MyHelper::judgeVersion(productVersion_), productVersion_);
}

MyCreatePlist::~MyCreatePlist() = default;

void MyCreatePlist::fail(const QString &why)
{
    if (!error_.isEmpty())
        return;
    error_ = why;
    NVXLogManager::singleton().writeErrorLog(
        QStringLiteral("Sync description not built, the library could not be read: %1").arg(why));
}

QString MyCreatePlist::createPhotoUUID(const QString &hex) { return MyHelper::createPhotoUUID(hex); }

QString MyCreatePlist::uuidText(const SqliteStatement &st, int column) const
{
    if (st.isNull(column))
        return {};
    if (schema_ && schema_->hasTextUuid())
        return st.textValue(column);
    return createPhotoUUID(MyHelper::NSdatatoNSString(st.bytesValue(column)));
}

// ---- Description -------------------------------------------------------------

std::optional<QVariantMap> MyCreatePlist::getPlistDictionary()
{
    error_.clear();
    if (!db_)
        fail(QStringLiteral("working copy \"%1\" does not exist").arg(sqlPath_));
    else if (!db_->isOpen())
        fail(QStringLiteral("working copy \"%1\" does not open: %2").arg(sqlPath_, db_->lastError()));
    else if (!schema_)
        fail(QStringLiteral("unsupported device version \"%1\"").arg(productVersion_));
    if (failed())
        return std::nullopt;

    QVariantMap d;
    d.insert(QStringLiteral("libraryKind"), QStringLiteral("Folder"));
    const QString libraryUuid = getPhotoLibraryUUID();
    if (failed())
        return std::nullopt;
    logInfo(QStringLiteral("Library UUID: %1").arg(libraryUuid));
    if (libraryUuid.isEmpty()) {
        logInfo(QStringLiteral("libraryUUID is nil"));
        return d;
    }
    d.insert(QStringLiteral("libraryUUID"), libraryUuid);
    const std::optional<QVariantList> updates = getPhotoPlistData();
    if (!updates)
        return std::nullopt;
    if (updates->isEmpty())
        logInfo(QStringLiteral("updatesData is nil"));
    else
        d.insert(QStringLiteral("updates"), *updates);
    return d;
}

QString MyCreatePlist::savePlistToPath(const std::optional<QVariantMap> &d)
{
    const QString path = MyHelper::getAppTempPath() + u'/' + kFileName;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        QFile::remove(path);
    if (!d) {
        logInfo(QStringLiteral("plist file is nil"));
        return {};
    }
    const QByteArray bytes = PropertyList::toBinary(*d);
    if (bytes.isEmpty()) {
        logWarn(QStringLiteral("NSPropertyListSerialization error: %1")
                    .arg(QStringLiteral("a value of the description cannot be written")));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        logWarn(QStringLiteral("Cannot write the sync description %1: %2").arg(path, file.errorString()));
        file.close();
        QFile::remove(path); // never leave a partial description behind
        return {};
    }
    file.close();
    return path;
}

QString MyCreatePlist::createSyncPlistContent(int importAlbumsZpk)
{
    importAlbumsZpk_ = importAlbumsZpk;
    return savePlistToPath(getPlistDictionary());
}

// ---- Library UUID ------------------------------------------------------------

QString MyCreatePlist::getPhotoLibraryUUID()
{
    const std::optional<QByteArray> plist =
        libraryUuidSource_ ? libraryUuidSource_() : std::optional<QByteArray>();
    if (!plist)
        return getSQliteLibraryUUID();
    const QVariant root = PropertyList::fromData(*plist);
    const QVariant uuid = root.toMap().value(QStringLiteral("libraryUUID"));
    if (root.typeId() != QMetaType::QVariantMap || uuid.typeId() != QMetaType::QString) {
        logWarn(QStringLiteral("CurrentLibraryUUID.plist holds no library UUID"));
        return {};
    }
    return uuid.toString();
}

QString MyCreatePlist::getSQliteLibraryUUID()
{
    if (!db_)
        return {};
    SqliteStatement st = db_->prepare(kLibraryUuidStatement);
    if (!st.isValid()) {
        fail(QStringLiteral("library UUID: %1").arg(db_->lastError()));
        return {};
    }
    const int c = st.columnIndex(QStringLiteral("Z_UUID"));
    QString uuid;
    while (st.step())
        uuid = st.textValue(c);
    if (st.failed()) {
        fail(QStringLiteral("library UUID: the statement failed"));
        return {};
    }
    return uuid;
}

// ---- Items -------------------------------------------------------------------

std::optional<QVariantList> MyCreatePlist::getPhotoPlistData()
{
    if (!db_ || !schema_) {
        fail(QStringLiteral("working copy \"%1\" cannot be read").arg(sqlPath_));
        return std::nullopt;
    }
    QVariantList items;
    logInfo(QStringLiteral("Query AlbumData"));
    const RecordList albums = queryAlbumData();
    if (failed())
        return std::nullopt;
    if (albums.isEmpty())
        return items;

    logInfo(QStringLiteral("Query PhotoDataBase Album"));
    RecordList synced;
    for (const Record &a : albums) {
        if (a->albumKind() != kKindLibrary)
            synced << a;
    }
    if (isDeleteAlbum_) {
        const QList<int> keys = intList(removeAlbums_.value(QStringLiteral("albumZpks")));
        for (qsizetype i = keys.size() - 1; i >= 0; --i)
            removeLastMatch(synced, keys.at(i), albumKey);
    }

    Groups groups;
    for (const Record &a : synced) {
        RecordList keys = queryPhotoKeyData(a->albumZpk());
        if (failed())
            return std::nullopt;
        if (keys.isEmpty())
            continue; // an album without pictures gets no group
        if (isDelete_) {
            for (qsizetype i = removePhotos_.size() - 1; i >= 0; --i)
                removeLastMatch(keys, removePhotos_.at(i), photoKey);
        }
        const RecordList photos = queryPhotoInfo(keys, a->albumZpk());
        if (failed())
            return std::nullopt;
        groups.insert(a->albumZpk(), photos);
        items << createPhotoPlistDict(photos);
    }

    logInfo(QStringLiteral("Query PhotoDataBase PhotoLibrary"));
    RecordList library = queryPhotoLibraryInfo(synced, 0);
    if (failed())
        return std::nullopt;
    if (isDelete_) {
        for (qsizetype i = removePhotos_.size() - 1; i >= 0; --i)
            removeLastMatch(library, removePhotos_.at(i), photoKey);
    } else if (isDeleteAlbum_) {
        const QList<int> keys = intList(removeAlbums_.value(QStringLiteral("photoZpks")));
        for (qsizetype i = keys.size() - 1; i >= 0; --i)
            removeLastMatch(library, keys.at(i), photoKey);
    }
    items << createPhotoPlistDict(library);

    RecordList all = albums;
    if (isDeleteAlbum_) {
        for (int key : intList(removeAlbums_.value(QStringLiteral("albumZpks"))))
            removeLastMatch(all, key, albumKey);
    }
    logInfo(QStringLiteral("Create Album Dictionary"));
    items << createAlbumDicrionary(all, groups, library);
    return items;
}

MyCreatePlist::RecordList MyCreatePlist::queryAlbumData()
{
    RecordList albums;
    if (!db_)
        return albums;
    SqliteStatement st = db_->prepare(kAlbumsStatement);
    if (!st.isValid()) {
        fail(QStringLiteral("albums: %1").arg(db_->lastError()));
        return albums;
    }
    const int cPk = st.columnIndex(QStringLiteral("Z_PK"));
    const int cTitle = st.columnIndex(QStringLiteral("ZTITLE"));
    const int cKind = st.columnIndex(QStringLiteral("ZKIND"));
    const int cUuid = st.columnIndex(QStringLiteral("ZUUID"));
    const bool textUuid = schema_ && schema_->hasTextUuid();
    while (st.step()) {
        auto a = std::make_shared<MyPhotoOrAlbumInfo>();
        a->setAlbumZpk(st.intValue(cPk));
        a->setAlbumName(st.textValue(cTitle));
        a->setAlbumKind(st.intValue(cKind));
        // An album without a stored UUID renders as the zero UUID on the
        // byte-storing families, as every album UUID is rendered there.
        a->setAlbumUUID(textUuid ? st.textValue(cUuid)
                                 : createPhotoUUID(MyHelper::NSdatatoNSString(st.bytesValue(cUuid))));
        albums << a;
    }
    if (st.failed()) {
        fail(QStringLiteral("albums: the statement failed"));
        albums.clear();
    }
    return albums;
}

MyCreatePlist::RecordList MyCreatePlist::queryPhotoKeyData(int albumZpk)
{
    if (!schema_)
        return {};
    return getPhotoZpk(schema_->joinTable, schema_->albumColumn, albumZpk, schema_->assetColumn);
}

MyCreatePlist::RecordList MyCreatePlist::getPhotoZpk(const QString &joinTable, const QString &albumColumn,
                                                     int albumZpk, const QString &pictureColumn)
{
    RecordList keys;
    if (!db_)
        return keys;
    const QString sql = QStringLiteral("SELECT * FROM ") + joinTable + QStringLiteral(" WHERE ") + albumColumn
                        + QStringLiteral(" = ") + QString::number(albumZpk);
    SqliteStatement st = db_->prepare(sql);
    if (!st.isValid()) {
        fail(QStringLiteral("pictures of album %1: %2").arg(albumZpk).arg(db_->lastError()));
        return keys;
    }
    const int c = st.columnIndex(pictureColumn);
    if (c < 0) {
        fail(QStringLiteral("pictures of album %1: no column %2").arg(albumZpk).arg(pictureColumn));
        return keys;
    }
    while (st.step()) {
        auto r = std::make_shared<MyPhotoOrAlbumInfo>();
        r->setPhotoZpk(st.intValue(c));
        keys << r;
    }
    if (st.failed()) {
        fail(QStringLiteral("pictures of album %1: the statement failed").arg(albumZpk));
        keys.clear();
    }
    return keys;
}

MyCreatePlist::RecordList MyCreatePlist::pictureRows(SqliteStatement &st, bool withKey)
{
    RecordList photos;
    const int cPk = st.columnIndex(QStringLiteral("Z_PK"));
    const int cUuid = st.columnIndex(QStringLiteral("ZUUID"));
    const int cDate = st.columnIndex(QStringLiteral("ZMODIFICATIONDATE"));
    while (st.step()) {
        auto p = std::make_shared<MyPhotoOrAlbumInfo>();
        if (withKey)
            p->setPhotoZpk(st.intValue(cPk));
        // The database time is read as a 32-bit count of seconds since 2001.
        p->setPhotoDate(qint64(st.intValue(cDate)) + kDateOffset);
        p->setPhotoUUID(uuidText(st, cUuid));
        photos << p;
    }
    return photos;
}

MyCreatePlist::RecordList MyCreatePlist::queryPhotoInfo(const RecordList &keys, int albumZpk)
{
    RecordList photos;
    if (!db_)
        return photos;
    for (const Record &k : keys) {
        const int key = k->photoZpk();
        SqliteStatement st = db_->prepare(
            QStringLiteral("SELECT ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE Z_PK=") + QString::number(key));
        if (!st.isValid()) {
            fail(QStringLiteral("picture %1 of album %2: %3").arg(key).arg(albumZpk).arg(db_->lastError()));
            return {};
        }
        const RecordList rows = pictureRows(st, false);
        if (st.failed()) {
            fail(QStringLiteral("picture %1 of album %2: the statement failed").arg(key).arg(albumZpk));
            return {};
        }
        for (const Record &p : rows) {
            p->setPhotoZpk(key);
            photos << p;
        }
    }
    return photos;
}

int MyCreatePlist::getCameraRollZPK()
{
    if (!db_)
        return -1;
    SqliteStatement st = db_->prepare(PhotoSqlSchema::kCameraRollKey);
    int key = -1;
    const int c = st.columnIndex(QStringLiteral("Z_PK"));
    while (st.step())
        key = st.intValue(c);
    if (!st.isValid() || st.failed())
        fail(QStringLiteral("camera roll key: %1").arg(db_->lastError()));
    return key;
}

int MyCreatePlist::getPhotoStreamZPK()
{
    if (!db_)
        return -1;
    SqliteStatement st = db_->prepare(PhotoSqlSchema::kPhotoStreamKey);
    int key = -1;
    const int c = st.columnIndex(QStringLiteral("Z_PK"));
    while (st.step())
        key = st.intValue(c);
    if (!st.isValid() || st.failed())
        fail(QStringLiteral("photo stream key: %1").arg(db_->lastError()));
    return key;
}

QString MyCreatePlist::photoLibraryStatement(const PhotoSqlSchema &schema, int cameraRollZpk, int photoStreamZpk,
                                             const QList<int> &albumZpks)
{
    QString sql = QStringLiteral("SELECT Z_PK,ZUUID,ZMODIFICATIONDATE FROM ZGENERICASSET WHERE ");
    if (schema.family >= 8)
        sql += QStringLiteral("ZSAVEDASSETTYPE=256 AND ");
    sql += QStringLiteral("Z_PK NOT IN (SELECT ") + schema.assetColumn + QStringLiteral(" FROM ") + schema.joinTable;
    QList<int> conditions;
    if (cameraRollZpk > 0)
        conditions << cameraRollZpk;
    if (photoStreamZpk > 0)
        conditions << photoStreamZpk;
    conditions << albumZpks;
    for (qsizetype i = 0; i < conditions.size(); ++i) {
        sql += (i == 0 ? QStringLiteral(" WHERE ") : QStringLiteral(" OR ")) + schema.albumColumn + u'='
               + QString::number(conditions.at(i));
    }
    sql += QStringLiteral(") AND ZTHUMBNAILINDEX>=0");
    return sql;
}

MyCreatePlist::RecordList MyCreatePlist::queryPhotoLibraryInfo(const RecordList &albums, int photoLibraryZpk)
{
    Q_UNUSED(photoLibraryZpk)
    if (!db_ || !schema_)
        return {};
    const int roll = getCameraRollZPK();
    const int stream = getPhotoStreamZPK();
    if (failed())
        return {};
    QList<int> keys;
    for (const Record &a : albums)
        keys << a->albumZpk();
    SqliteStatement st = db_->prepare(photoLibraryStatement(*schema_, roll, stream, keys));
    if (!st.isValid()) {
        fail(QStringLiteral("library pictures: %1").arg(db_->lastError()));
        return {};
    }
    RecordList photos = pictureRows(st, true);
    if (st.failed()) {
        fail(QStringLiteral("library pictures: the statement failed"));
        return {};
    }
    return photos;
}

QVariantList MyCreatePlist::createPhotoPlistDict(const RecordList &photos)
{
    QVariantList items;
    for (const Record &p : photos) {
        const QString uuid = p->photoUUID();
        if (uuid.isEmpty()) {
            // Without a UUID the device cannot tell which picture an item
            // means; the picture is not listed and the device keeps it as is.
            logWarn(QStringLiteral("Picture %1 has no UUID, no item for it").arg(p->photoZpk()));
            continue;
        }
        QVariantMap item;
        item.insert(QStringLiteral("itemType"), QStringLiteral("Asset"));
        item.insert(QStringLiteral("caption"), QStringLiteral(""));
        item.insert(QStringLiteral("modificationDate"), qint64(p->photoDate()));
        item.insert(QStringLiteral("isVideo"), false);
        item.insert(QStringLiteral("latitude"), std::numeric_limits<double>::infinity());
        item.insert(QStringLiteral("longitude"), std::numeric_limits<double>::infinity());
        item.insert(QStringLiteral("uuid"), uuid);
        items << item;
    }
    return items;
}

// Album items, skipping device-made albums. The library-wide album lists the
// library-only pictures (when there are any) and then the group of every
// other album that has one; a synced album lists its own group. An album
// for which no group was collected gets no "assetUUIDs"; one whose group is
// empty gets an empty array.
QVariantList MyCreatePlist::createAlbumDicrionary(const RecordList &albums, const Groups &allPhotoDictionary,
                                                  const RecordList &photoLibArray)
{
    QVariantList items;
    for (const Record &a : albums) {
        if (a->albumKind() == kKindDeviceAlbum)
            continue;
        QVariantMap item;
        item.insert(QStringLiteral("itemType"), QStringLiteral("Album"));
        QList<RecordList> collected;
        if (a->albumKind() == kKindLibrary) {
            item.insert(QStringLiteral("albumName"), kLibraryAlbumName);
            item.insert(QStringLiteral("uuid"), kLibraryAlbumUUID);
            item.insert(QStringLiteral("subclass"), qint64(5));
            if (!photoLibArray.isEmpty())
                collected << photoLibArray;
            for (const Record &other : albums) {
                if (other != a && allPhotoDictionary.contains(other->albumZpk()))
                    collected << allPhotoDictionary.value(other->albumZpk());
            }
        } else {
            item.insert(QStringLiteral("albumName"), a->albumName());
            item.insert(QStringLiteral("uuid"), a->albumUUID());
            item.insert(QStringLiteral("subclass"), qint64(1));
            if (allPhotoDictionary.contains(a->albumZpk()))
                collected << allPhotoDictionary.value(a->albumZpk());
        }
        if (!collected.isEmpty())
            item.insert(QStringLiteral("assetUUIDs"), getPhotoUUID(collected));
        items << item;
    }
    return items;
}

QVariantMap MyCreatePlist::createNullAlbumInfo(const QString &albumName)
{
    const QString uuid = getMaxAlbumUUID();
    if (uuid.isEmpty())
        return {};
    QVariantMap item;
    item.insert(QStringLiteral("albumName"), albumName);
    item.insert(QStringLiteral("itemType"), QStringLiteral("Album"));
    item.insert(QStringLiteral("subclass"), qint64(1));
    item.insert(QStringLiteral("uuid"), uuid);
    return item;
}

QStringList MyCreatePlist::getPhotoUUID(const QList<RecordList> &groups)
{
    QStringList uuids;
    for (const RecordList &group : groups) {
        for (const Record &r : group) {
            const QString uuid = r ? r->photoUUID() : QString();
            if (!uuid.isEmpty())
                uuids << uuid;
        }
    }
    return uuids;
}

// ---- UUID allocation -----------------------------------------------------------

QByteArray MyCreatePlist::getMaxZ_PKUUID()
{
    if (!db_ || !schema_) {
        fail(QStringLiteral("working copy \"%1\" cannot be read").arg(sqlPath_));
        return {};
    }
    SqliteStatement st = db_->prepare(kMaxSyncedUuid);
    if (!st.isValid()) {
        fail(QStringLiteral("largest synced UUID: %1").arg(db_->lastError()));
        return {};
    }
    const int c = st.columnIndex(QStringLiteral("ZUUID"));
    QByteArray bytes;
    bool nullValue = true;
    while (st.step()) {
        nullValue = st.isNull(c);
        if (nullValue)
            continue;
        if (schema_->hasTextUuid()) {
            QString text = st.textValue(c);
            bytes = MyHelper::My16NSStringToNSData(text.remove(u'-'));
        } else {
            bytes = st.bytesValue(c);
        }
    }
    if (st.failed()) {
        fail(QStringLiteral("largest synced UUID: the statement failed"));
        return {};
    }
    if (!nullValue && bytes.isEmpty())
        logWarn(QStringLiteral("The largest synced UUID is malformed; counting from the first UUID"));
    if (nullValue || bytes.isEmpty())
        return MyHelper::intToBytes(kNoSyncedUuid);
    return bytes;
}

std::optional<QSet<QByteArray>> MyCreatePlist::usedUuids()
{
    QSet<QByteArray> used;
    for (const char *table : {"ZGENERICASSET", "ZGENERICALBUM"}) {
        SqliteStatement st = db_->prepare(QStringLiteral("SELECT ZUUID FROM %1").arg(QLatin1String(table)));
        if (!st.isValid()) {
            fail(QStringLiteral("UUIDs in use: %1").arg(db_->lastError()));
            return std::nullopt;
        }
        const int c = st.columnIndex(QStringLiteral("ZUUID"));
        while (st.step()) {
            if (st.isNull(c))
                continue;
            const QByteArray bytes = schema_->hasTextUuid() ? NVXUUIDAllocator::fromText(st.textValue(c))
                                                            : NVXUUIDAllocator::widen(st.bytesValue(c));
            if (!bytes.isEmpty())
                used.insert(bytes);
        }
        if (st.failed()) {
            fail(QStringLiteral("UUIDs in use: the statement failed"));
            return std::nullopt;
        }
    }
    return used;
}

std::shared_ptr<NVXUUIDAllocator> MyCreatePlist::allocator()
{
    if (allocator_)
        return allocator_;
    const QByteArray start = getMaxZ_PKUUID();
    if (start.isEmpty())
        return nullptr;
    std::optional<QSet<QByteArray>> used = usedUuids();
    if (!used)
        return nullptr;
    allocator_ = std::make_shared<NVXUUIDAllocator>(start, std::move(*used));
    return allocator_;
}

QString MyCreatePlist::getMaxAlbumUUID()
{
    const std::shared_ptr<NVXUUIDAllocator> a = allocator();
    if (!a)
        return {};
    const QByteArray bytes = a->nextBytes();
    logInfo(QStringLiteral("bit16 hexstr:%1").arg(MyHelper::NSdatatoNSString(bytes)));
    return NVXUUIDAllocator::text(bytes);
}

QString MyCreatePlist::getMaxUUIDAdd1(const QByteArray &bytes)
{
    const QByteArray next = NVXUUIDAllocator::increment(bytes);
    logInfo(QStringLiteral("bit16 hexstr:%1").arg(MyHelper::NSdatatoNSString(next)));
    return NVXUUIDAllocator::text(next);
}
