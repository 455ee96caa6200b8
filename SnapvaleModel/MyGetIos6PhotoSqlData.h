#pragma once

#include "PhotoSqlQuery.h"

// Query set of release families 5 and 6, which share one class: every
// operation takes the version tag "IOS5.0" or "IOS6.0" that picks the
// family's tables.
class MyGetIos6PhotoSqlData : public PhotoSqlQuery {
public:
    explicit MyGetIos6PhotoSqlData(const QString &path) : PhotoSqlQuery(path) {}

    int getPhotoLibraryZPK() { return photoLibraryKey(); }
    NVXPhotoList OueryCameraRollAlbum(const QString &tag) { return cameraRoll(schemaFor(tag)); }
    NVXPhotoList OueryPhotoStreamAlbum(const QString &tag) { return photoStream(schemaFor(tag)); }
    NVXPhotoList OueryPhotoLibraryAlbum(const QString &tag) { return photoLibrary(schemaFor(tag)); }
    NVXPhotoList OueryOthersAlbum(const QString &tag) { return othersAlbum(schemaFor(tag)); }
    NVXPhotoList OueryImportAlbum(int key, const QString &tag) { return importAlbum(schemaFor(tag), key); }
    NVXPhotoList OueryOthersPhoto(int albumKey, const QString &tag) { return othersPhoto(schemaFor(tag), albumKey); }

    // "IOS5.0" selects the family-5 tables; any other tag those of family 6.
    static const PhotoSqlSchema &schemaFor(const QString &tag);
};
