#include "LibraryDescription.h"

#include <QRandomGenerator>
#include <QtEndian>

QByteArray LibraryDescription::uuidBytes(quint64 n)
{
    // A fixed prefix keeps generated UUIDs recognisable; the last 8 bytes
    // carry the number big-endian, so larger numbers give larger UUIDs.
    QByteArray bytes(16, '\0');
    const quint64 prefix = 0x5A3E9C1D00000000ULL | (n >> 48);
    qToBigEndian(prefix, bytes.data());
    qToBigEndian(n, bytes.data() + 8);
    return bytes;
}

FixtureAlbum LibraryDescription::makeAlbum(int key, int kind, const QString &title, bool photoStream)
{
    FixtureAlbum a;
    a.key = key;
    a.kind = kind;
    a.title = title;
    a.photoStream = photoStream;
    a.uuid = uuidBytes(0xAB00 + quint64(key));
    return a;
}

namespace {

FixtureAsset asset(int key, const QString &dir, const QString &name, double modified, int w, int h)
{
    FixtureAsset a;
    a.key = key;
    a.uuid = LibraryDescription::uuidBytes(quint64(key));
    a.directory = dir;
    a.fileName = name;
    a.title = name.section('.', 0, 0);
    a.created = modified - 60;
    a.modified = modified;
    a.width = w;
    a.height = h;
    a.originalWidth = w;
    a.originalHeight = h;
    a.fileSize = w * h / 4 + 1000;
    a.embeddedThumbWidth = 120;
    a.embeddedThumbHeight = 90;
    a.embeddedThumbLength = 4096;
    a.embeddedThumbOffset = 512;
    return a;
}

} // namespace

LibraryDescription LibraryDescription::generated(const QString &family, int cameraRoll, int library,
                                                 int stream, int albums, quint32 seed)
{
    LibraryDescription d;
    d.family = family;
    d.libraryUuid = QStringLiteral("6D1F2A40-0B7C-4E11-9C3A-%1").arg(seed, 12, 16, QChar('0')).toUpper();
    d.albums.append(makeAlbum(kCameraRollKey, 1000, "Camera Roll"));
    d.albums.append(makeAlbum(kPhotoLibraryKey, 1552, "Photo Library"));
    d.albums.append(makeAlbum(kPhotoStreamKey, 1500, "My Photo Stream", true));
    QList<int> synced;
    for (int i = 0; i < albums; ++i) {
        const int key = 10 + i;
        const bool device = i % 2 == 1;
        d.albums.append(makeAlbum(key, device ? 2 : 1550, QStringLiteral("Album %1").arg(i + 1)));
        if (!device)
            synced.append(key);
    }
    QRandomGenerator rng(seed);
    const double base = 400000000.0; // about 2013
    int key = 1;
    auto time = [&] { return base + double(rng.bounded(60 * 60 * 24 * 700)); };
    for (int i = 0; i < cameraRoll; ++i, ++key) {
        FixtureAsset a = asset(key, "DCIM/100APPLE", QStringLiteral("IMG_%1.JPG").arg(key, 4, 10, QChar('0')),
                               time(), 3264, 2448);
        a.albums = {kCameraRollKey};
        if (i % 25 == 7) {
            a.kind = 1;
            a.fileName = QStringLiteral("IMG_%1.MOV").arg(key, 4, 10, QChar('0'));
            a.uniformType = "com.apple.quicktime-movie";
        }
        if (!family.startsWith('5') && !family.startsWith('6') && i % 40 == 3) {
            a.subtype = 1; // panorama
            a.width = a.originalWidth = 10800;
            a.height = a.originalHeight = 2400;
        }
        if (i % 6 == 1)
            a.orientation = 6;
        d.assets.append(a);
    }
    for (int i = 0; i < library; ++i, ++key) {
        FixtureAsset a = asset(key, QStringLiteral("PhotoData/Sync/100SYNCD"),
                               QStringLiteral("IMG_%1.JPG").arg(key, 4, 10, QChar('0')), time(), 2048, 1536);
        a.savedAssetType = 256; // synced from a computer
        a.albums = {kPhotoLibraryKey};
        if (!synced.isEmpty() && i % 3 == 0)
            a.albums.append(synced.at(i % synced.size()));
        d.assets.append(a);
    }
    for (int i = 0; i < stream; ++i, ++key) {
        FixtureAsset a = asset(key, QStringLiteral("PhotoStreamsData/1/100APPLE"),
                               QStringLiteral("IMG_%1.JPG").arg(key, 4, 10, QChar('0')), time(), 2048, 1536);
        a.savedAssetType = 3;
        a.albums = {kPhotoStreamKey};
        d.assets.append(a);
    }
    // Device-made albums hold some camera-roll pictures.
    for (int i = 0; i < albums; ++i) {
        if (i % 2 == 1 && cameraRoll > 0) {
            for (int j = i; j < cameraRoll; j += 37)
                d.assets[j].albums.append(10 + i);
        }
    }
    return d;
}

LibraryDescription LibraryDescription::demo(const QString &family)
{
    LibraryDescription d = generated(family, 12, 9, 4, 3, 2015);
    const QStringList titles = {"Beach", "Mountains", "Birthday"};
    int t = 0;
    for (auto &a : d.albums) {
        if (a.key >= 10)
            a.title = titles.value(t++, a.title);
    }
    return d;
}
