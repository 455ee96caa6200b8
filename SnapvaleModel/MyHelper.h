#pragma once

#include "NVXPhotoData.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

// Stateless helpers shared by the whole photo subsystem: the local folders,
// the release-family code of a device version, date and UUID text, size text,
// unique file names and the image helpers behind covers, display thumbnails
// and the 16-bit device thumbnails.
//
// Every operation is a static member, keeps no state and may run on any
// thread. Bad input (a missing file, a picture that does not decode, a null
// list) gives a null or empty answer, never a crash.
class MyHelper {
public:
    MyHelper() = delete;

    // ---- Local folders ---------------------------------------------------

    // <generic data location>/com.norvix.Snapvale/Snapvale, created on use.
    static QString getAppSupportPath();
    // The application support folder + "/tmp", created on use.
    static QString getAppTempPath();
    // Application support folder + "/" + name + "." + type. When no file is
    // there yet, the seed resource ":/seed/<name>.<type>" is copied there
    // first (copy errors ignored). An empty name, or a name or type holding a
    // path separator (which could leave the folder), gives a null path.
    static QString resourcePathOfAppDir(const QString &name, const QString &type);
    // Size of the file (symbolic links followed); 0 when it cannot be read,
    // INT32_MAX for files too large for 32 bits.
    static qint32 getFileLength(const QString &path);
    // Size of the path itself (a symbolic link is measured, not followed);
    // 0 on failure.
    static qint64 fileSizeAtPath(const QString &path);
    static bool stringIsNilOrEmpty(const QString &string);

    // ---- Versions ----------------------------------------------------------

    // Numeric-aware comparison: runs of ASCII digits compare by numeric value
    // (any length), every other character by its UTF-16 code; when one string
    // is a prefix of the other the shorter orders first. Answers <0, 0, >0.
    static int compareVersions(const QString &a, const QString &b);
    // Release family of a device product version: 5, 6, 7, 8, or 1 for
    // anything before "5.0".
    static int judgeVersion(const QString &version);
    // The computer's operating-system version (on Debian 12: "12"); null
    // when the version description does not match.
    static QString osVersion();
    // First capture group of the ICU regular expression `pattern` in `text`;
    // null when it does not match, the group did not take part, or the
    // pattern is invalid.
    static QString getStringWithRegEx(const QString &text, const QString &pattern);

    // ---- Dates -------------------------------------------------------------

    // Database time (whole seconds) as "yyyy-MM-dd HH:mm:ss" local time,
    // counted from the local time 2001-01-01 08:00:00. Null when the result
    // cannot be represented.
    static QString dateToString(quint64 seconds);
    // The same text as dateToString into a caller's buffer (no terminating
    // zero); false where dateToString answers null.
    static bool dateToChars(quint64 seconds, char (&text)[19]);
    // Whole seconds from the local time 1904-01-01 00:00:00 to `date`
    // (fraction truncated); 0 for an invalid date or one before 1904.
    static quint64 getTimeStampFromDate(const QDateTime &date);

    // ---- Identifiers and bytes --------------------------------------------

    // Lower-case hexadecimal digits of the bytes, no separators.
    static QString NSdatatoNSString(const QByteArray &data);
    // Upper-case 8-4-4-4-12 UUID text of a hexadecimal string; strings of
    // fewer than 11 digits are filled from the left with the zero UUID.
    static QString createPhotoUUID(const QString &hex);
    // The four bytes of `value`, most significant first.
    static QByteArray intToBytes(qint32 value);
    // Each pair of hexadecimal digits becomes one byte (length/2 bytes; an odd
    // trailing digit is ignored). Null when a digit is not hexadecimal.
    static QByteArray My16NSStringToNSData(const QString &hex);

    // ---- Sizes and lists ---------------------------------------------------

    // Size text shown to the user: "512B", "1.00 KB", "3.25 MB", "1.50 GB".
    static QString getFileSizeString(qint64 size, int reserved);
    // `value` printed with 1, 3 or 4 decimals when `reserved` is 1, 3 or 4
    // and with 2 otherwise, then a space and `unit`.
    static QString Rounding(double value, int reserved, const QString &unit);
    static qint64 getPhotosTotalSize(const NVXPhotoList &photos);
    // Largest albumZpk of the list; 0 for a null or empty list.
    static int getMaxAlbumZpk(const NVXPhotoList &albums);
    // A new list, newest photoDateData first, equal times keeping their
    // order. A null or empty input gives a new empty list.
    static NVXPhotoList sortPicturesByTime1(const NVXPhotoList &photos);
    // Extension (lower-cased) is png, jpg, gif, bmp or jpeg.
    static bool checkFileIsPicture(const QString &path);
    // Every picture file below `folder`, recursively, as folder + "/" +
    // relative path; empty when the folder cannot be listed.
    static QStringList getPictureFile(const QString &folder);
    // `path` when nothing is there, otherwise the first free
    // "<path without extension>(n).<extension>", n = 1, 2, ...
    static QString getFilePathAlias(const QString &path);

    // ---- Images ------------------------------------------------------------

    // Display thumbnail: the picture scaled so that its longer side is
    // `length`. Null when the file does not decode.
    static QImage getIOS7thumbnails(const QString &path, int length);
    static QImage scalingImage(const QString &path, int length);
    // Centred square of the picture scaled to length x length; null when the
    // file does not decode.
    static QImage getAlbumCoverImage(const QString &path, int length);
    // Crop of `image` for a target of width x height; type "H" cuts the
    // horizontal middle, anything else the vertical middle. Null for a null
    // image or a size that is not positive.
    static QImage cutImageForSize(const QImage &image, int width, int height, const QString &type);
    // A new opaque width x height image with the whole picture drawn into it
    // (transparent parts come out black). Null for a null image or a size
    // that is not positive.
    static QImage suchAsScalingImage(const QImage &image, int width, int height);
    // The picture as 16-bit pixels: ARGB1555 for "Format16bppRgb555", RGB565
    // for any other name; width * height * 2 bytes, rows top to bottom. Null
    // for a null image.
    static QByteArray convetToAirlockData(const QImage &image, const QString &format);
};
