#pragma once

#include "PhotoSqlQuery.h"

// Query set of the device database of release family 7.
class NVXGetIos7PhotoSqlData : public PhotoSqlQuery {
public:
    explicit NVXGetIos7PhotoSqlData(const QString &path) : PhotoSqlQuery(path) {}

    int getPhotoLibraryZPK() { return photoLibraryKey(); }
    NVXPhotoList OueryCameraRollAlbum() { return cameraRoll(schema()); }
    NVXPhotoList OueryPhotoStreamAlbum() { return photoStream(schema()); }
    NVXPhotoList OueryPhotoLibraryAlbum() { return photoLibrary(schema()); }
    NVXPhotoList OueryOthersAlbum() { return othersAlbum(schema()); }
    NVXPhotoList OueryImportAlbum(int key) { return importAlbum(schema(), key); }
    NVXPhotoList OueryOthersPhoto(int albumKey) { return othersPhoto(schema(), albumKey); }

    static const PhotoSqlSchema &schema() { return PhotoSqlSchema::ios7(); }
};
