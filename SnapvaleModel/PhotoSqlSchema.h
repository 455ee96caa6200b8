#pragma once

#include <QString>

// The per-release statement pieces of the device photo database. The
// database renumbers its join table and columns with each release family;
// everything that differs between families is gathered here, so the query
// code itself is shared.
struct PhotoSqlSchema {
    int family = 0;                 // 5, 6, 7 or 8
    bool is83 = false;              // the 8.3 tables within family 8
    QString joinTable;              // album membership table, e.g. Z_8ASSETS
    QString albumColumn;            // its album column, e.g. Z_8ALBUMS
    QString assetColumn;            // its asset column, e.g. Z_14ASSETS
    QString columnList;             // category queries: selected columns (ends with a space)
    QString membershipClause;       // camera roll / photo stream membership
    QString exclusionClause;        // photo library exclusion
    QString albumPrefix;            // album column with "=", e.g. "Z_8ALBUMS="
    QString albumsStatement;        // user-visible albums
    QString importAlbumsStatement;  // synced albums after a key ("?")
    QString albumPhotosStatement;   // photos of one album ("?")
    QString albumPhotosEndLine;     // log line after the album-photos query

    // Families 5 and 6 keep a title column; 7 and 8 a kind subtype instead.
    bool hasTitle() const { return family <= 6; }
    // Family 8 stores UUIDs as text; 5 to 7 as 16 bytes.
    bool hasTextUuid() const { return family >= 8; }

    static const PhotoSqlSchema &ios5();
    static const PhotoSqlSchema &ios6();
    static const PhotoSqlSchema &ios7();
    static const PhotoSqlSchema &ios8();
    static const PhotoSqlSchema &ios83();
    // The schema for a release family code and product version, or nullptr
    // for an unsupported family.
    static const PhotoSqlSchema *forVersion(int familyCode, const QString &productVersion);

    static const QString kFromAssets;      // the FROM piece of the category queries
    static const QString kCameraRollKey;   // camera-roll album key statement
    static const QString kPhotoStreamKey;  // photo-stream album key statement
    static const QString kPhotoLibraryKey; // photo-library album key statement
};
