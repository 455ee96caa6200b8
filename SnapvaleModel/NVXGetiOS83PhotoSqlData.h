#pragma once

#include "PhotoSqlQuery.h"

// Query set of the device database of release 8.3.
class NVXGetiOS83PhotoSqlData : public PhotoSqlQuery {
public:
    explicit NVXGetiOS83PhotoSqlData(const QString &path) : PhotoSqlQuery(path) {}

    int getPhotoLibraryZPK() { return photoLibraryKey(); }
    NVXPhotoList OueryCameraRollAlbum() { return cameraRoll(schema()); }
    NVXPhotoList OueryPhotoStreamAlbum() { return photoStream(schema()); }
    NVXPhotoList OueryPhotoLibraryAlbum() { return photoLibrary(schema()); }
    NVXPhotoList OueryOthersAlbum() { return othersAlbum(schema()); }
    NVXPhotoList OueryImportAlbum(int key) { return importAlbum(schema(), key); }
    NVXPhotoList OueryOthersPhoto(int albumKey) { return othersPhoto(schema(), albumKey); }

    static const PhotoSqlSchema &schema() { return PhotoSqlSchema::ios83(); }
};
