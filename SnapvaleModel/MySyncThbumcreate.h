#pragma once

#include "MyPhotoOrAlbumInfo.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <atomic>

class QIODevice;

// Makes the thumbnail container the device expects for every picture
// imported from the computer: the picture file byte for byte, the device's
// own 16-bit (ARGB1555) thumbnails of it, and a trailer that locates each
// part. Two kinds exist:
//
//   full:    file, 3041 (79 x 78), 3141 (160 x 158), 4040 (169 x 168),
//            4031 (120 x 120), 4032 (32 x 32), 124-byte trailer;
//   compact: file, 3041 (80 x 78), 4031 (120 x 120), 88-byte trailer, for
//            family code 1003 on release family 5 or later.
//
// Trailer integers are unsigned 32-bit big-endian. With every thumbnail
// made a full container is S + 150640 bytes long, a compact one S + 41368.
//
// The picture is read once and decoded once; every thumbnail of the
// container is made from that one image. Large JPEGs are decoded at a
// reduced size (libjpeg's DCT scaling) that still leaves at least twice the
// largest thumbnail's side in the cropped square, so the thumbnails match a
// full-size decode within a few 5-bit steps.
//
// A file that cannot be read gives no container (null, an error line in the
// log); a picture that does not decode gives a container whose thumbnails
// are missing (length 0), the file part and the trailer still made. The
// generator may be used from several threads at once.
class MySyncThbumcreate {
public:
    // One thumbnail kind of the containers.
    struct ThumbKind {
        int format;        // format number written into the trailer
        int width, height; // pixel size of the thumbnail
        int limitWidth, limitHeight; // a larger picture is cropped first
        bool fill;         // drawn narrowed by 9 and raised by 8 (see suchAsScalingImage)
    };
    static const ThumbKind kThumb78;     // 3041, 79 x 78 (full container)
    static const ThumbKind kiPod3Thumb78; // 3041, 80 x 78 (compact container)
    static const ThumbKind kThumb158;    // 3141, 160 x 158, fill
    static const ThumbKind kThumb167;    // 4040, 169 x 168, fill
    static const ThumbKind kThumb120;    // 4031, 120 x 120
    static const ThumbKind kThumb32;     // 4032, 32 x 32

    static constexpr int kFullTrailerSize = 124;
    static constexpr int kCompactTrailerSize = 88;
    static constexpr int kiPodTouch3FamilyCode = 1003;

    // A generator for a device of family code `familyCode` (the device
    // information's family code; 0 when unknown) running `productVersion`.
    MySyncThbumcreate(int familyCode, const QString &productVersion);

    // Whether a device of that family code and version takes the compact
    // container: family code 1003 and release family 5 or later.
    static bool usesCompactContainer(int familyCode, const QString &productVersion);
    bool isCompact() const { return compact_; }
    // The thumbnails of this generator's container kind, in layout order.
    QList<ThumbKind> thumbKinds() const;

    // The container of the kind this device takes for `record`: the picture
    // file is the record's photoName (its full local path; imagePath when
    // photoName is empty), its UUID the record's photoUUID text
    // (8-4-4-4-12). Null when the file cannot be read, the UUID is not 32
    // hexadecimal digits, or the container would not fit 32-bit offsets;
    // each logs why.
    QByteArray createImageData(const MyPhotoOrAlbumInfo &record);
    // The full and the compact container, whatever the device.
    QByteArray writeImage(const MyPhotoOrAlbumInfo &record);
    QByteArray writeiPod3Image(const MyPhotoOrAlbumInfo &record);
    // createImageData written to `out`; false (logged) when the container
    // cannot be made or `out` does not take every byte.
    bool writeContainer(const MyPhotoOrAlbumInfo &record, QIODevice &out);

    // ---- Thumbnails ------------------------------------------------------

    // One thumbnail of `kind` from a decoded picture whose original size is
    // `originalSize` (`picture` may be a reduced-size decode of it; the crop
    // decision and geometry follow the original size). 16-bit pixel bytes,
    // width * height * 2 of them; null for a null picture or a failed crop.
    static QByteArray makeThumb(const QImage &picture, QSize originalSize, const ThumbKind &kind);
    // The same from a file (decoded at full size); null, logged, when it
    // does not decode.
    static QByteArray createThumb78_78Image(const QString &path);
    static QByteArray createiPod3Thumb78_78Image(const QString &path);
    static QByteArray createThumb158_158Image(const QString &path);
    static QByteArray createThumb167_167Image(const QString &path);
    static QByteArray createThumb120_120Image(const QString &path);
    static QByteArray createThumb32_32Image(const QString &path);

    // Centred square crop, side the shorter side; opaque, transparent parts
    // black. The offset of a non-square picture's long side is truncated in
    // lower-left coordinates, so an odd leftover row is dropped at the top.
    // `addLine` has no effect (every caller passes false). Null for a null
    // picture.
    static QImage cutOriginalImage(const QImage &image, bool addLine = false);
    // Scale step: a white width x height canvas with the whole picture drawn
    // over it, then the 16-bit pixels. Without `fillRectangle` the picture
    // covers the canvas; with it the picture is drawn 9 pixels narrower and
    // 8 pixels higher, so its top 8 rows fall outside and the canvas's
    // lowest 8 rows and rightmost 9 columns stay white.
    static QByteArray suchAsScalingImage(const QImage &image, int width, int height, bool fillRectangle);
    // Stretch step for small pictures: the picture enlarged to width x
    // height (not centred); transparent parts stay transparent.
    static QImage suchAsScalingSmallImage(const QImage &image, int width, int height);
    // Stretch step followed by the scale step.
    static QByteArray createSmallImage(const QImage &image, int width, int height, bool fill);

    // ---- Running total ---------------------------------------------------

    // Sum of the lengths of every container this generator made.
    qint64 fileTatolSize() const { return fileTatolSize_.load(); }
    void setFileTatolSize(qint64 size) { fileTatolSize_.store(size); }

    // Tests and benchmarks: false makes every picture decode at full size.
    void setAllowReducedDecode(bool allow) { allowReducedDecode_ = allow; }

private:
    QByteArray makeContainer(const MyPhotoOrAlbumInfo &record, bool compact);

    std::atomic<qint64> fileTatolSize_{0};
    int familyCode_ = 0;
    QString productVersion_;
    bool compact_ = false;
    bool allowReducedDecode_ = true;
};
