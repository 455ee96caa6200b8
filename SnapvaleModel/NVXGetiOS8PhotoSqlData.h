#pragma once

#include "PhotoSqlQuery.h"

// Query set of the device database of release 8.0 to 8.2 (and 8.4 and later).
class NVXGetiOS8PhotoSqlData : public PhotoSqlQuery {
public:
    explicit NVXGetiOS8PhotoSqlData(const QString &path) : PhotoSqlQuery(path) {}

    int getPhotoLibraryZPK() { return photoLibraryKey(); }
    NVXPhotoList OueryCameraRollAlbum() { return cameraRoll(schema()); }
    NVXPhotoList OueryPhotoStreamAlbum() { return photoStream(schema()); }
    NVXPhotoList OueryPhotoLibraryAlbum() { return photoLibrary(schema()); }
    NVXPhotoList OueryOthersAlbum() { return othersAlbum(schema()); }
    NVXPhotoList OueryImportAlbum(int key) { return importAlbum(schema(), key); }
    NVXPhotoList OueryOthersPhoto(int albumKey) { return othersPhoto(schema(), albumKey); }

    static const PhotoSqlSchema &schema() { return PhotoSqlSchema::ios8(); }
};
