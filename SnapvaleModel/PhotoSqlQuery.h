#pragma once

#include "NVXPhotoData.h"
#include "PhotoSqlSchema.h"
#include "SqliteDatabase.h"

#include <QString>

#include <memory>

// The query operations shared by every release family's query set. A query
// set opens the working copy of the device database when it is made, runs
// read-only statements built from the family's schema, and closes the
// database when it is destroyed. Every list answer is new and never null;
// a statement that fails (say, a table of another family) yields no rows.
class PhotoSqlQuery {
public:
    explicit PhotoSqlQuery(const QString &path);
    virtual ~PhotoSqlQuery();
    PhotoSqlQuery(const PhotoSqlQuery &) = delete;
    PhotoSqlQuery &operator=(const PhotoSqlQuery &) = delete;

    // The category statements: members of the album with key `key` (no album
    // condition for a key that is not positive), and the photo library
    // excluding the camera-roll and photo-stream albums.
    static QString memberStatement(const PhotoSqlSchema &s, int key);
    static QString libraryStatement(const PhotoSqlSchema &s, int roll, int stream);

    SqliteDatabase *db() const { return db_.get(); }
    void setDb(std::unique_ptr<SqliteDatabase> db) { db_ = std::move(db); }

protected:
    int photoLibraryKey();
    NVXPhotoList cameraRoll(const PhotoSqlSchema &s);
    NVXPhotoList photoStream(const PhotoSqlSchema &s);
    NVXPhotoList photoLibrary(const PhotoSqlSchema &s);
    NVXPhotoList othersAlbum(const PhotoSqlSchema &s);
    NVXPhotoList importAlbum(const PhotoSqlSchema &s, int key);
    NVXPhotoList othersPhoto(const PhotoSqlSchema &s, int albumKey);

private:
    // Z_PK of the last row the statement answers; -1 for none.
    int lastKey(const QString &sql);
    NVXPhotoList memberList(const PhotoSqlSchema &s, int key);
    // Where a photo statement keeps the columns that differ between the
    // category and album-photos queries.
    struct PhotoColumns {
        QString key;    // the asset key
        QString album;  // the album key, empty when the statement has none
        QString height;
        QString width;
    };
    NVXPhotoList photoRows(const PhotoSqlSchema &s, SqliteStatement &st, const PhotoColumns &columns);
    NVXPhotoList categoryRows(const PhotoSqlSchema &s, const QString &sql);
    NVXPhotoList albumRows(const PhotoSqlSchema &s, SqliteStatement &st);

    std::unique_ptr<SqliteDatabase> db_;
};
