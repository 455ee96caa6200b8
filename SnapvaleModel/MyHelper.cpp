#include "MyHelper.h"

#include "AppFolders.h"
#include "VersionCompare.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QStandardPaths>
#include <QSysInfo>
#include <QtEndian>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Largest canvas the image helpers make: the same budget the image reader
// allows for a decoded picture (256 MB at 4 bytes per pixel). Larger sizes
// can only come from nonsense arguments and would exhaust memory.
constexpr qint64 kMaxCanvasPixels = qint64(1) << 26;

// A path that cannot be handed to the C library unchanged.
bool hasNul(const QString &path) { return path.contains(QChar(0)); }

// printf("%.*f") in the C locale: exact binary-to-decimal rounding (exact
// ties go to even, as printf does) and always a '.' whatever the process
// locale is.
QString fixedText(double value, int decimals)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return QString::number(value, 'f', decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString icuToQString(const icu::UnicodeString &text)
{
    if (text.isEmpty())
        return QStringLiteral("");  // empty, but not null: the group did match
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

icu::UnicodeString qtToIcu(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// Decodes a picture file at its stored orientation (the orientation tag is
// applied elsewhere). The content decides the format, so a picture with a
// wrong extension still decodes.
QImage decodePicture(const QString &path)
{
    if (path.isEmpty() || hasNul(path))
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

bool canvasSizeOk(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width * height <= kMaxCanvasPixels;
}

// A name taken for getFilePathAlias: anything at the path, a dangling
// symbolic link included (writing through it would create its target).
bool pathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

// ---- Local folders ---------------------------------------------------------

QString MyHelper::getAppSupportPath() { return AppFolders::supportPath(); }

QString MyHelper::getAppTempPath() { return AppFolders::tempPath(); }

QString MyHelper::resourcePathOfAppDir(const QString &name, const QString &type)
{
    return AppFolders::resourcePath(name, type);
}

qint32 MyHelper::getFileLength(const QString &path)
{
    if (path.isEmpty() || hasNul(path))
        return 0;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    // Saturate rather than wrap: a wrapped length would turn negative.
    return st.st_size > std::numeric_limits<qint32>::max()
               ? std::numeric_limits<qint32>::max()
               : static_cast<qint32>(st.st_size);
}

qint64 MyHelper::fileSizeAtPath(const QString &path)
{
    if (path.isEmpty() || hasNul(path))
        return 0;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return static_cast<qint64>(st.st_size);
}

bool MyHelper::stringIsNilOrEmpty(const QString &string)
{
    return string.isEmpty();  // true for a null string too
}

// ---- Versions --------------------------------------------------------------

int MyHelper::compareVersions(const QString &a, const QString &b) { return VersionCompare::compare(a, b); }

int MyHelper::judgeVersion(const QString &version)
{
    const auto inFamily = [&version](const char *from, const char *below) {
        const int c = compareVersions(version, QLatin1String(from));
        return c == 0 || (c > 0 && compareVersions(version, QLatin1String(below)) < 0);
    };
    if (inFamily("5.0", "6.0"))
        return 5;
    if (inFamily("6.0", "7.0"))
        return 6;
    if (inFamily("7.0", "8.0"))
        return 7;
    if (compareVersions(version, QStringLiteral("8.0")) >= 0)
        return 8;
    return 1;
}

QString MyHelper::osVersion()
{
    // The system has no single version sentence, so make one in the usual
    // "Version <number> (Build <build>)" shape and extract the number from
    // it the same way on every platform.
    const QString description = QStringLiteral("Version %1 (Build %2)")
                                    .arg(QSysInfo::productVersion(), QSysInfo::kernelVersion());
    return getStringWithRegEx(description, QStringLiteral("[V|v]ersion ((\\d+|\\.)*)"));
}

QString MyHelper::getStringWithRegEx(const QString &text, const QString &pattern)
{
    if (pattern.isEmpty() || text.size() > std::numeric_limits<int32_t>::max()
        || pattern.size() > std::numeric_limits<int32_t>::max())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString icuPattern = qtToIcu(pattern);
    const icu::UnicodeString icuText = qtToIcu(text);  // must outlive the matcher
    icu::RegexMatcher matcher(icuPattern, icuText, 0, status);
    if (U_FAILURE(status) || matcher.groupCount() < 1)
        return {};
    // A pathological pattern must not hang the caller: give up after a
    // generous number of match steps (roughly seconds of work).
    matcher.setTimeLimit(1000, status);
    if (!matcher.find(0, status) || U_FAILURE(status))
        return {};
    const int32_t start = matcher.start(1, status);
    if (U_FAILURE(status) || start < 0)
        return {};  // the group did not take part in the match
    const icu::UnicodeString group = matcher.group(1, status);
    if (U_FAILURE(status))
        return {};
    return icuToQString(group);
}

// ---- Dates -----------------------------------------------------------------

namespace {

// The instant "2001-01-01 08:00:00" in the computer's time zone, as seconds
// since 1970. Worked out once per value of TZ: listing tens of thousands of
// photos converts as many dates, and the C library converts from a cached
// zone far faster than a date object that re-checks the zone every time.
bool localReference2001(time_t *out)
{
    thread_local QByteArray key;
    thread_local time_t reference = 0;
    thread_local bool known = false;
    const QByteArray tz = qgetenv("TZ");
    if (!known || tz != key) {
        tzset();
        std::tm tm{};
        tm.tm_year = 2001 - 1900;
        tm.tm_mon = 0;
        tm.tm_mday = 1;
        tm.tm_hour = 8;
        tm.tm_isdst = -1;
        reference = std::mktime(&tm);
        key = tz;
        known = reference != time_t(-1);
        if (!known)
            return false;
    }
    *out = reference;
    return true;
}

} // namespace

bool MyHelper::dateToChars(quint64 seconds, char (&text)[19])
{
    // The reference is the local wall-clock time 08:00, so the shown text is
    // the database time as a wall clock eight hours ahead of UTC whatever
    // the computer's zone (apart from a daylight-saving change in between).
    time_t reference = 0;
    constexpr quint64 kLimit = quint64(1) << 40; // far beyond any four-digit year
    if (seconds > kLimit || !localReference2001(&reference))
        return false;
    const time_t shown = reference + time_t(seconds);
    std::tm tm{};
    if (!localtime_r(&shown, &tm) || tm.tm_year + 1900 > 9999)
        return false;
    // "yyyy-MM-dd HH:mm:ss", digit by digit (a format call per photo shows
    // in the time of a large listing).
    auto put = [&text](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            text[at + i] = char('0' + value % 10);
    };
    put(0, tm.tm_year + 1900, 4);
    text[4] = '-';
    put(5, tm.tm_mon + 1, 2);
    text[7] = '-';
    put(8, tm.tm_mday, 2);
    text[10] = ' ';
    put(11, tm.tm_hour, 2);
    text[13] = ':';
    put(14, tm.tm_min, 2);
    text[16] = ':';
    put(17, tm.tm_sec, 2);
    return true;
}

QString MyHelper::dateToString(quint64 seconds)
{
    char text[19];
    if (!dateToChars(seconds, text))
        return {};
    return QString::fromLatin1(text, 19);
}

quint64 MyHelper::getTimeStampFromDate(const QDateTime &date)
{
    if (!date.isValid())
        return 0;
    const QDateTime reference = QDateTime::fromString(QStringLiteral("1904-01-01 00:00:00"), kDateFormat);
    const qint64 msecs = reference.msecsTo(date);
    if (msecs < 0)
        return 0;
    return static_cast<quint64>(msecs / 1000);
}

// ---- Identifiers and bytes -------------------------------------------------

QString MyHelper::NSdatatoNSString(const QByteArray &data)
{
    if (data.isEmpty())
        return QStringLiteral("");
    return QString::fromLatin1(data.toHex());
}

QString MyHelper::createPhotoUUID(const QString &hex)
{
    const qsizetype n = hex.size();
    QString text;
    if (n >= 11) {
        // Strings shorter than 20 digits leave the later groups short or
        // empty; mid() clamps, so nothing is read past the end.
        text = hex.mid(0, 8) + u'-' + hex.mid(8, 4) + u'-' + hex.mid(12, 4) + u'-'
               + hex.mid(16, 4) + u'-' + hex.mid(20);
    } else {
        static const QString zero = QStringLiteral("00000000-0000-0000-0000-000000000000");
        text = zero.left(zero.size() - n) + hex;
    }
    return text.toUpper();
}

QByteArray MyHelper::intToBytes(qint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray MyHelper::My16NSStringToNSData(const QString &hex)
{
    const auto nibble = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        return -1;
    };
    const qsizetype count = hex.size() / 2;
    QByteArray bytes(count, Qt::Uninitialized);
    for (qsizetype k = 0; k < count; ++k) {
        const int high = nibble(hex[2 * k]);
        const int low = nibble(hex[2 * k + 1]);
        if (high < 0 || low < 0)
            return {};
        bytes[k] = static_cast<char>(high << 4 | low);
    }
    return bytes;
}

// ---- Sizes and lists -------------------------------------------------------

QString MyHelper::getFileSizeString(qint64 size, int reserved)
{
    if (size < 1024)
        return fixedText(static_cast<double>(size), 0) + u'B';
    const double s = static_cast<double>(size);
    // Gigabytes always show two decimals, whatever the caller asked for.
    if (s / 1048576.0 > 1024.0)
        return Rounding(s / 1073741824.0, 2, QStringLiteral("GB"));
    if (s / 1024.0 > 1024.0)
        return Rounding(s / 1048576.0, reserved, QStringLiteral("MB"));
    return Rounding(s / 1024.0, reserved, QStringLiteral("KB"));
}

QString MyHelper::Rounding(double value, int reserved, const QString &unit)
{
    const int decimals = (reserved == 1 || reserved == 3 || reserved == 4) ? reserved : 2;
    return fixedText(value, decimals) + u' ' + unit;
}

qint64 MyHelper::getPhotosTotalSize(const NVXPhotoList &photos)
{
    qint64 total = 0;
    if (!photos)
        return total;
    for (const NVXPhotoDataPtr &photo : *photos) {
        if (photo)
            total += photo->photoSize;
    }
    return total;
}

int MyHelper::getMaxAlbumZpk(const NVXPhotoList &albums)
{
    bool found = false;
    int largest = 0;
    if (!albums)
        return 0;
    for (const NVXPhotoDataPtr &album : *albums) {
        if (!album)
            continue;
        if (!found || album->albumZpk > largest)
            largest = album->albumZpk;
        found = true;
    }
    return largest;
}

NVXPhotoList MyHelper::sortPicturesByTime1(const NVXPhotoList &photos)
{
    NVXPhotoList sorted = makePhotoList();
    if (!photos)
        return sorted;
    *sorted = *photos;
    // A missing record sorts after every real one.
    const auto key = [](const NVXPhotoDataPtr &p) {
        return p ? static_cast<qint64>(p->photoDateData) : std::numeric_limits<qint64>::min();
    };
    std::stable_sort(sorted->begin(), sorted->end(),
                     [&key](const NVXPhotoDataPtr &a, const NVXPhotoDataPtr &b) { return key(a) > key(b); });
    return sorted;
}

bool MyHelper::checkFileIsPicture(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension == u"png" || extension == u"jpg" || extension == u"gif" || extension == u"bmp"
           || extension == u"jpeg";
}

QStringList MyHelper::getPictureFile(const QString &folder)
{
    QStringList pictures;
    if (folder.isEmpty() || hasNul(folder) || !QFileInfo(folder).isDir())
        return pictures;
    QString base = folder;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    const QString prefix = base == u"/" ? base : base + u'/';

    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    // Depth-first, in name order, with an explicit stack so that a deeply
    // nested tree cannot exhaust the call stack. Entries are relative paths.
    std::vector<QString> pending;
    const auto pushChildren = [&](const QString &relativeDir) {
        const QFileInfoList entries = QDir(prefix + relativeDir).entryInfoList(filters, QDir::Name);
        for (auto it = entries.crbegin(); it != entries.crend(); ++it)
            pending.push_back(relativeDir.isEmpty() ? it->fileName() : relativeDir + u'/' + it->fileName());
    };
    pushChildren(QString());
    while (!pending.empty()) {
        const QString relative = std::move(pending.back());
        pending.pop_back();
        const QFileInfo info(prefix + relative);
        // Symbolic links to folders are not followed (no cycles, no escape).
        if (info.isDir() && !info.isSymLink())
            pushChildren(relative);
        else if (info.isFile() && checkFileIsPicture(relative))
            pictures.append(prefix + relative);
    }
    return pictures;
}

QString MyHelper::getFilePathAlias(const QString &path)
{
    if (path.isEmpty() || !pathTaken(path))
        return path;
    // The extension is taken from the last path component only; a leading
    // dot names a hidden file, not an extension.
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    QString stem = path;
    QString extension;
    if (dot > slash + 1) {
        stem = path.left(dot);
        extension = path.mid(dot + 1);
    }
    for (int counter = 1; counter < std::numeric_limits<int>::max(); ++counter) {
        const QString candidate = stem + u'(' + QString::number(counter) + QStringLiteral(").") + extension;
        if (!pathTaken(candidate))
            return candidate;
    }
    return {};
}

// ---- Images ----------------------------------------------------------------

QImage MyHelper::getIOS7thumbnails(const QString &path, int length)
{
    return scalingImage(path, length);
}

QImage MyHelper::scalingImage(const QString &path, int length)
{
    if (length <= 0)
        return {};
    const QImage picture = decodePicture(path);
    if (picture.isNull())
        return {};
    const int W = picture.width();
    const int H = picture.height();
    if (W > H) {
        int h = static_cast<int>(double(length) * H / W);
        if (h == 0)
            h = H;
        return suchAsScalingImage(picture, length, h);
    }
    int w = static_cast<int>(double(length) * W / H);
    if (w == 0)
        w = W;
    return suchAsScalingImage(picture, w, length);
}

QImage MyHelper::getAlbumCoverImage(const QString &path, int length)
{
    if (length <= 0)
        return {};
    const QImage picture = decodePicture(path);
    if (picture.isNull())
        return {};
    const int W = picture.width();
    const int H = picture.height();
    const QImage square = W > H ? cutImageForSize(picture, H, H, QStringLiteral("H"))
                                : cutImageForSize(picture, W, W, QStringLiteral("W"));
    if (square.isNull())
        return {};
    return suchAsScalingImage(square, length, length);
}

QImage MyHelper::cutImageForSize(const QImage &image, int width, int height, const QString &type)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return {};
    // The crop geometry is computed in single precision and truncated, in a
    // lower-left origin (y grows upwards, measured from the bottom edge).
    const float W = static_cast<float>(image.width());
    const float H = static_cast<float>(image.height());
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    float x = 0.0f;
    float y = 0.0f;
    float canvasW = 0.0f;
    float canvasH = 0.0f;
    if (type == u"H") {
        x = std::trunc((W - h) * 0.5f);
        canvasW = std::trunc(H);
        canvasH = std::trunc(h * H / w);
    } else {
        y = std::trunc((H - w) * 0.5f);
        canvasW = std::trunc(W);
        canvasH = std::trunc(h * W / w);
    }
    if (!std::isfinite(canvasH) || canvasH > float(kMaxCanvasPixels))
        return {};
    const int cw = static_cast<int>(canvasW);
    const int ch = static_cast<int>(canvasH);
    if (!canvasSizeOk(cw, ch))
        return {};

    QImage canvas(cw, ch, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    // Qt's origin is the top-left corner: a rectangle at lower-left y with
    // height r starts at y_qt = (height of its surface) - y - r. For the
    // centred square crops this only matters when the cut-off rows are odd
    // in number: the extra row is dropped at the top.
    const QRectF source(x, H - y - float(ch), float(cw), float(ch));
    const QRectF target(0.0, double(ch) - double(height), double(width), double(height));
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image, source);
    painter.end();
    return canvas;
}

QImage MyHelper::suchAsScalingImage(const QImage &image, int width, int height)
{
    if (image.isNull() || !canvasSizeOk(width, height))
        return {};
    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    // Scale first with Qt's smooth (area-averaging) scaler, which keeps large
    // reductions free of aliasing, then composite at 1:1 over the black fill.
    const QImage scaled = image.size() == QSize(width, height)
                              ? image
                              : image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0.0, 0.0), scaled);
    painter.end();
    return canvas;
}

QByteArray MyHelper::convetToAirlockData(const QImage &image, const QString &format)
{
    if (image.isNull())
        return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (argb.isNull())
        return {};
    const bool argb1555 = format == u"Format16bppRgb555";
    const int width = argb.width();
    const int height = argb.height();
    QByteArray out(qsizetype(width) * height * 2, Qt::Uninitialized);
    char *dst = out.data();
    // Pixel layout, one 16-bit little-endian word per pixel, rows from the
    // top down, no gap between rows:
    //   ARGB1555: bit 15 alpha (1 when alpha >= 128), bits 14-10 red,
    //             bits 9-5 green, bits 4-0 blue;
    //   RGB565:   bits 15-11 red, bits 10-5 green, bits 4-0 blue.
    // Components are the premultiplied ones, rounded to nearest:
    //   c5 = (c8 * 31 + 127) / 255, c6 = (c8 * 63 + 127) / 255.
    const auto to5 = [](int c) { return (c * 31 + 127) / 255; };
    const auto to6 = [](int c) { return (c * 63 + 127) / 255; };
    for (int row = 0; row < height; ++row) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(row));
        for (int col = 0; col < width; ++col) {
            const QRgb px = line[col];
            const int r = qRed(px);
            const int g = qGreen(px);
            const int b = qBlue(px);
            quint16 word;
            if (argb1555)
                word = static_cast<quint16>((qAlpha(px) >= 128 ? 0x8000 : 0) | to5(r) << 10 | to5(g) << 5 | to5(b));
            else
                word = static_cast<quint16>(to5(r) << 11 | to6(g) << 5 | to5(b));
            qToLittleEndian(word, dst);
            dst += 2;
        }
    }
    return out;
}
