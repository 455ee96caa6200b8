#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

// One photo or album of the device library, as read from the device
// database. Which fields are meaningful depends on the query that made the
// record: album queries fill the album fields, photo queries the photo
// fields; everything else keeps its initial value (0 or null).
//
// Records are shared, never copied: the same record object sits in a
// category list and in the list of every photo, and edits rely on that
// identity.
class NVXPhotoData {
public:
    // Album fields.
    int albumZpk = 0;          // ZGENERICALBUM.Z_PK; -102 new album placeholder, -100/-101 pseudo-albums
    int photoCounts = 0;       // member count of the album
    int albumKind = 0;         // 2 made on the device, 1550 synced from a computer
    QString albumTitle;        // ZTITLE
    QByteArray albumUUID;      // ZUUID as bytes
    QString albumUUIDString;   // ZUUID as text (text-UUID databases only)

    // Photo fields.
    int photoAsset = 0;        // album key the photo was listed for (album-photos query)
    int photoZpk = 0;          // ZGENERICASSET.Z_PK
    int photoHeight = 0;
    int photoWidth = 0;
    int photoKind = 0;         // 0 still picture, 1 video
    int photoKindSubtype = 0;  // 1 panorama (text-subtype databases only)
    int photoRiginal = 0;      // EXIF orientation 1..8 of the full-size file
    int photoDateData = 0;     // ZMODIFICATIONDATE, whole seconds since 2001-01-01
    int photoSize = 0;         // full-size file length in bytes
    QDateTime photoDate;       // ZDATECREATED
    QString photoName;         // file name on the device
    QString photoTitle;        // ZTITLE, or the name without extension
    QString photoPath;         // device folder relative to the media root
    QByteArray photoUUID;      // ZUUID as bytes
    QString photoUUIDString;   // ZUUID as text (text-UUID databases only)
    QString thumbPath;         // local thumbnail file
    QImage photoImage;         // decoded display thumbnail
};

using NVXPhotoDataPtr = std::shared_ptr<NVXPhotoData>;
using NVXPhotoArray = QList<NVXPhotoDataPtr>;
// A list shared between the data service and the views ("shared, not copied").
using NVXPhotoList = std::shared_ptr<NVXPhotoArray>;

inline NVXPhotoList makePhotoList() { return std::make_shared<NVXPhotoArray>(); }
