#pragma once

#include "MyPhotoOrAlbumInfo.h"
#include "NVXUUIDAllocator.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class SqliteDatabase;
class SqliteStatement;
struct PhotoSqlSchema;

// Builds the sync description: the property list the device takes as the new
// state of its synced photo library ("/Photos/Sync/PhotoLibrary.plist"). It
// lists every album synced from a computer, the library-wide album and every
// synced picture, read from the local working copy of the device database;
// the device removes whatever the description leaves out.
//
// Because of that, the builder never describes a library it could not read:
// a missing or unopenable working copy, an unsupported release, or any
// statement that fails to prepare or step makes the build fail (no
// description, nothing written, an error line in the log saying why). A
// library that was read and holds nothing still gives a description.
class MyCreatePlist {
public:
    using Record = std::shared_ptr<MyPhotoOrAlbumInfo>;
    using RecordList = QList<Record>;
    // Picture groups of the synced albums, by album key.
    using Groups = QHash<int, RecordList>;

    // What the builder needs from the device.
    struct Device {
        QString productVersion;  // e.g. "6.1.3": picks the release family's tables
        QString sqlPath;         // local working copy of the photo database, already refreshed
        // The contents of the device's "/Photos/Sync/CurrentLibraryUUID.plist":
        // nullopt when the device has no such file, empty bytes when it is
        // there but could not be copied. Empty function: no such file.
        std::function<std::optional<QByteArray>()> currentLibraryUuidPlist;
    };

    static const QString kLibraryAlbumName;  // "My Pictures"
    static const QString kLibraryAlbumUUID;  // "00000000-0000-0000-0000-000000000064"
    static const QString kFileName;          // "PhotoLibrary.plist"
    // Seconds from 1904-01-01 to 2001-01-01: database time to description time.
    static constexpr qint64 kDateOffset = 3061152000LL;

    // A builder without deletions.
    explicit MyCreatePlist(Device device);
    // A builder that leaves out the albums and pictures of `removeAlbums`
    // ("albumZpks", "photoZpks": arrays of keys) when `isDeleteAlbum`, and
    // the pictures of `removePhotos` when `isDelete`.
    MyCreatePlist(QVariantMap removeAlbums, QList<int> removePhotos, bool isDeleteAlbum, bool isDelete,
                  Device device);
    ~MyCreatePlist();
    MyCreatePlist(const MyCreatePlist &) = delete;
    MyCreatePlist &operator=(const MyCreatePlist &) = delete;

    // The description of the whole synced library; nullopt when the working
    // copy could not be read (lastError() says why).
    std::optional<QVariantMap> getPlistDictionary();
    // Writes `d` in the binary format to the temporary folder as
    // "PhotoLibrary.plist", replacing an earlier file; the path, or null when
    // there is no description or it could not be written (the earlier file
    // is removed either way, so a stale description is never sent).
    static QString savePlistToPath(const std::optional<QVariantMap> &d);
    // Builds and writes the description; the path, or null on failure.
    QString createSyncPlistContent(int importAlbumsZpk);

    QString lastError() const { return error_; }
    int importAlbumsZpk() const { return importAlbumsZpk_; }
    bool isDelete() const { return isDelete_; }
    bool isDeleteAlbum() const { return isDeleteAlbum_; }

    // ---- Library UUID ------------------------------------------------------

    // From the device's CurrentLibraryUUID.plist when it has one, otherwise
    // from the database; null when there is none.
    QString getPhotoLibraryUUID();
    // The Z_UUID of the last row of Z_METADATA; null when there is none.
    QString getSQliteLibraryUUID();

    // ---- Items -------------------------------------------------------------

    // The "updates" items in their order; nullopt when the working copy could
    // not be read.
    std::optional<QVariantList> getPhotoPlistData();
    // The synced albums (kind 1550) and the library-wide album (kind 1552).
    RecordList queryAlbumData();
    // Records with the photoZpk of every picture of the album, in join order.
    RecordList queryPhotoKeyData(int albumZpk);
    RecordList getPhotoZpk(const QString &joinTable, const QString &albumColumn, int albumZpk,
                           const QString &pictureColumn);
    // The picture records of the keys, in their order.
    RecordList queryPhotoInfo(const RecordList &keys, int albumZpk);
    // The pictures outside the camera roll, the photo stream and `albums`.
    RecordList queryPhotoLibraryInfo(const RecordList &albums, int photoLibraryZpk);
    int getCameraRollZPK();
    int getPhotoStreamZPK();
    // The statement of queryPhotoLibraryInfo for a family's tables, the
    // camera-roll and photo-stream keys (left out when not positive) and the
    // keys of the remaining synced albums.
    static QString photoLibraryStatement(const PhotoSqlSchema &schema, int cameraRollZpk, int photoStreamZpk,
                                         const QList<int> &albumZpks);

    // One picture item per record that has a UUID, in order.
    static QVariantList createPhotoPlistDict(const RecordList &photos);
    // The album items of `albums` in order, device-made albums skipped. The
    // library-wide album ("My Pictures", subclass 5) lists the library-only
    // pictures and then every synced album's group; a synced album
    // (subclass 1) lists its own group. "assetUUIDs" is present only when at
    // least one group was collected for the album.
    static QVariantList createAlbumDicrionary(const RecordList &albums, const Groups &allPhotoDictionary,
                                              const RecordList &photoLibArray);
    // The item of a new album: its name, subclass 1 and a newly allocated
    // UUID, without "assetUUIDs". Empty when no UUID can be allocated.
    QVariantMap createNullAlbumInfo(const QString &albumName);
    // The photoUUID of every record of every list, in order, skipping
    // records without one.
    static QStringList getPhotoUUID(const QList<RecordList> &groups);

    // ---- UUID allocation ---------------------------------------------------

    // The largest UUID among the synced pictures as bytes; 00 00 00 66 when
    // there is none; null when the database cannot be read.
    QByteArray getMaxZ_PKUUID();
    // A new album UUID from allocator(); null when the database cannot be read.
    QString getMaxAlbumUUID();
    // The UUID text of `bytes` plus one (a full 128-bit increment).
    static QString getMaxUUIDAdd1(const QByteArray &bytes);
    static QString createPhotoUUID(const QString &hex);

    // The one counter behind every new picture and album UUID of this
    // description, made on first use from the database (it starts at
    // getMaxZ_PKUUID and steps over every UUID in the database); nullptr
    // when the database cannot be read. The import procedure draws its
    // picture UUIDs from it, and may hand one allocator to several builders.
    std::shared_ptr<NVXUUIDAllocator> allocator();
    void setAllocator(std::shared_ptr<NVXUUIDAllocator> allocator) { allocator_ = std::move(allocator); }

private:
    // Records the first reason the working copy could not be read.
    void fail(const QString &why);
    bool failed() const { return !error_.isEmpty(); }
    // UUID text of a ZUUID column as this family stores it.
    QString uuidText(const SqliteStatement &st, int column) const;
    // Every UUID of the pictures and albums of the database, as 16 bytes.
    std::optional<QSet<QByteArray>> usedUuids();
    RecordList pictureRows(SqliteStatement &st, bool withKey);

    bool isDelete_ = false;
    bool isDeleteAlbum_ = false;
    QVariantMap removeAlbums_;
    QList<int> removePhotos_;
    QString sqlPath_;
    QString productVersion_;
    std::function<std::optional<QByteArray>()> libraryUuidSource_;
    std::unique_ptr<SqliteDatabase> db_;
    const PhotoSqlSchema *schema_ = nullptr;
    int importAlbumsZpk_ = 0;
    std::shared_ptr<NVXUUIDAllocator> allocator_;
    QString error_;
};
