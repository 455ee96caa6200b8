#pragma once

#include "NVXPhotoData.h"
#include "PhotoSqlSchema.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>

// The whole photo library of one working copy, read with the query set that
// a device version selects: the three category lists and every album with
// its photos, each list newest first.
class LibraryListing {
public:
    struct Album {
        NVXPhotoDataPtr album;
        NVXPhotoList photos;
    };

    // Checks the input before reading: a supported version, an existing
    // SQLite database with the family's tables. False with a message.
    bool load(const QString &databasePath, const QString &iosVersion, QString *error);

    int family() const { return family_; }
    const NVXPhotoList &cameraRoll() const { return cameraRoll_; }
    const NVXPhotoList &photoStream() const { return photoStream_; }
    const NVXPhotoList &photoLibrary() const { return photoLibrary_; }
    const QList<Album> &albums() const { return albums_; }

    // The UUID text of a record as its family renders it; null when the
    // database holds no UUID.
    QString photoUuidText(const NVXPhotoData &p) const;
    QString albumUuidText(const NVXPhotoData &a) const;

    // Writes the listing as indented JSON, one photo a line; false when the
    // output fails.
    bool writeJson(FILE *output) const;
    // The listing as plain text.
    QByteArray toText() const;

private:
    QString path_;
    QString version_;
    int family_ = 0;
    const PhotoSqlSchema *schema_ = nullptr;
    NVXPhotoList cameraRoll_ = makePhotoList();
    NVXPhotoList photoStream_ = makePhotoList();
    NVXPhotoList photoLibrary_ = makePhotoList();
    QList<Album> albums_;
};
