#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A declarative description of a device photo library, from which
// PhotoLibraryGenerator writes the device's Photos.sqlite for one release
// family. Keys are the rows' Z_PK values; membership is listed per asset.
struct FixtureAlbum {
    int key = 0;
    int kind = 2;                 // 1000 camera roll, 1552 photo library, 1550 synced, 2 device-made
    bool photoStream = false;     // the photo-stream album (found by its entity)
    QString title;
    QByteArray uuid;              // 16 bytes; empty: NULL
};

struct FixtureAsset {
    int key = 0;
    int kind = 0;                 // 0 picture, 1 video
    int subtype = 0;              // 1 panorama (families 7 and 8)
    QByteArray uuid;              // 16 bytes; empty: NULL; text form on family 8
    std::optional<QString> directory = QString("DCIM/100APPLE"); // nullopt: NULL
    std::optional<QString> fileName;                             // nullopt: NULL
    std::optional<QString> title;                                // families 5 and 6; nullopt: NULL
    double created = 0;           // seconds since 2001-01-01
    double modified = 0;          // seconds since 2001-01-01
    int savedAssetType = 0;       // 256 for synced pictures on family 8
    int thumbnailIndex = 0;       // < 0 hides the asset from the category lists
    int width = 0;
    int height = 0;
    QString uniformType = QStringLiteral("public.jpeg");

    // The additional-attributes row; absent when hasAttributes is false.
    bool hasAttributes = true;
    int orientation = 1;
    int fileSize = 0;
    int originalWidth = 0;
    int originalHeight = 0;
    int embeddedThumbWidth = 0;
    int embeddedThumbHeight = 0;
    int embeddedThumbLength = 0;
    int embeddedThumbOffset = 0;

    QList<int> albums;            // keys of the albums the asset belongs to
};

struct LibraryDescription {
    QString family = QStringLiteral("8.3"); // "5", "6", "7", "8.0" (8.0 to 8.2) or "8.3"
    QString libraryUuid;                    // Z_METADATA.Z_UUID; empty: a made-up one
    QList<FixtureAlbum> albums;
    QList<FixtureAsset> assets;

    // Built-in album keys used by the presets below.
    static constexpr int kCameraRollKey = 1;
    static constexpr int kPhotoLibraryKey = 2;
    static constexpr int kPhotoStreamKey = 3;

    // A generated library: the camera roll, photo library and photo stream
    // albums, `albums` synced albums (every other one device-made), and the
    // given numbers of pictures in each category. Deterministic for a seed.
    static LibraryDescription generated(const QString &family, int cameraRoll, int library, int stream,
                                        int albums, quint32 seed = 1);
    // A small library with readable names, used by the demo command.
    static LibraryDescription demo(const QString &family);

    // An album with a UUID made from its key.
    static FixtureAlbum makeAlbum(int key, int kind, const QString &title, bool photoStream = false);

    // 16 deterministic bytes made from a number.
    static QByteArray uuidBytes(quint64 n);
};
