#pragma once

#include "PhotoSqlQuery.h"

// Query set of one release family whose tables are fixed by its schema
// (families 7 and 8; families 5 and 6 share a tagged class instead).
template <const PhotoSqlSchema &(*Schema)()>
class FamilyPhotoSqlData : public PhotoSqlQuery {
public:
    explicit FamilyPhotoSqlData(const QString &path) : PhotoSqlQuery(path) {}

    int getPhotoLibraryZPK() { return photoLibraryKey(); }
    NVXPhotoList OueryCameraRollAlbum() { return cameraRoll(schema()); }
    NVXPhotoList OueryPhotoStreamAlbum() { return photoStream(schema()); }
    NVXPhotoList OueryPhotoLibraryAlbum() { return photoLibrary(schema()); }
    NVXPhotoList OueryOthersAlbum() { return othersAlbum(schema()); }
    NVXPhotoList OueryImportAlbum(int key) { return importAlbum(schema(), key); }
    NVXPhotoList OueryOthersPhoto(int albumKey) { return othersPhoto(schema(), albumKey); }

    static const PhotoSqlSchema &schema() { return Schema(); }
};
