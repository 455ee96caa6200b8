#include "MySyncThbumcreate.h"

#include "MyHelper.h"
#include "NVXLogManager.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace {

void logInfo(const QString &line) { NVXLogManager::singleton().writeInfoLog(line); }
void logError(const QString &line) { NVXLogManager::singleton().writeErrorLog(line); }

const QString kPixelFormat = QStringLiteral("Format16bppRgb555");

// The cropped square must keep at least this many pixels per side for every
// thumbnail after a reduced-size decode: twice the largest thumbnail side, so
// the final reduction still averages two or more source pixels per target
// pixel.
constexpr int kMinReducedSide = 2 * 169;

void appendInt(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// The centred square of a picture of size `original`, in Qt's top-left
// coordinates. The offsets are truncated in the lower-left coordinates the
// geometry is defined in: a wide picture keeps the rows from the bottom
// (y = 0), and a tall one drops its odd leftover row at the top.
QRect cropSquare(QSize original)
{
    const int w = original.width();
    const int h = original.height();
    if (w > h) {
        const int s = h;
        return QRect(int((w - s) * 0.5), 0, s, s);
    }
    const int s = w;
    const int yFromBottom = int((h - s) * 0.5);
    return QRect(0, h - yFromBottom - s, s, s);
}

// Crop of `picture` (a decode of a picture of size `original`, possibly at a
// reduced size): the square of cropSquare mapped onto the decoded pixels,
// drawn over an opaque black canvas.
QImage cropFrom(const QImage &picture, QSize original)
{
    if (picture.isNull() || original.isEmpty())
        return {};
    const QRect square = cropSquare(original);
    const double sx = double(picture.width()) / original.width();
    const double sy = double(picture.height()) / original.height();
    QRect mapped(qRound(square.x() * sx), qRound(square.y() * sy), qRound(square.width() * sx),
                 qRound(square.height() * sy));
    mapped = mapped.intersected(picture.rect());
    if (mapped.isEmpty())
        return {};
    QImage canvas(mapped.size(), QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    try {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPoint(0, 0), picture, mapped);
    } catch (const std::exception &e) {
        logError(QString::fromUtf8(e.what()));
        logError(QStringLiteral("Cut image error"));
    }
    return canvas;
}

// Decodes `bytes` once for every thumbnail. A JPEG whose shorter side leaves
// room is decoded at the smallest n/8 scale that keeps kMinReducedSide pixels
// on that side; everything else at full size. Answers the image and the
// picture's original size.
QImage decodeOnce(const QByteArray &bytes, bool allowReduced, QSize *original)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (allowReduced && size.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)
        && reader.format() == "jpeg") {
        const int shorter = std::min(size.width(), size.height());
        for (int n = 1; n < 8; ++n) {
            if (qint64(shorter) * n / 8 >= kMinReducedSide) {
                reader.setScaledSize(QSize(int(qint64(size.width()) * n / 8), int(qint64(size.height()) * n / 8)));
                break;
            }
        }
    }
    QImage image = reader.read();
    *original = size.isValid() ? size : image.size();
    return image;
}

}  // namespace

const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kThumb78{3041, 79, 78, 79, 78, false};
const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kiPod3Thumb78{3041, 80, 78, 80, 78, false};
const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kThumb158{3141, 160, 158, 160, 158, true};
const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kThumb167{4040, 169, 168, 169, 168, true};
const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kThumb120{4031, 120, 120, 120, 120, false};
const MySyncThbumcreate::ThumbKind MySyncThbumcreate::kThumb32{4032, 32, 32, 32, 32, false};

MySyncThbumcreate::MySyncThbumcreate(int familyCode, const QString &productVersion)
    : familyCode_(familyCode), productVersion_(productVersion),
      compact_(usesCompactContainer(familyCode, productVersion))
{
}

bool MySyncThbumcreate::usesCompactContainer(int familyCode, const QString &productVersion)
{
    return familyCode == kiPodTouch3FamilyCode && MyHelper::judgeVersion(productVersion) >= 5;
}

QList<MySyncThbumcreate::ThumbKind> MySyncThbumcreate::thumbKinds() const
{
    if (compact_)
        return {kiPod3Thumb78, kThumb120};
    return {kThumb78, kThumb158, kThumb167, kThumb120, kThumb32};
}

QByteArray MySyncThbumcreate::createImageData(const MyPhotoOrAlbumInfo &record)
{
    return makeContainer(record, compact_);
}

QByteArray MySyncThbumcreate::writeImage(const MyPhotoOrAlbumInfo &record) { return makeContainer(record, false); }

QByteArray MySyncThbumcreate::writeiPod3Image(const MyPhotoOrAlbumInfo &record) { return makeContainer(record, true); }

QByteArray MySyncThbumcreate::makeContainer(const MyPhotoOrAlbumInfo &record, bool compact)
{
    QString path = record.photoName();
    if (path.isEmpty())
        path = record.imagePath();
    const QString uuidText = record.photoUUID();

    // The UUID goes into the trailer as its 16 bytes.
    QString hex = uuidText;
    hex.remove(u'-');
    const QByteArray uuid = hex.size() == 32 ? MyHelper::My16NSStringToNSData(hex) : QByteArray();
    if (uuid.size() != 16) {
        logError(QStringLiteral("create thumbnail invalid UUID: ") + uuidText);
        return {};
    }

    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("create thumbnail open file error: ") + path);
        return {};
    }
    const ThumbKind *kinds[5];
    int kindCount = 0;
    if (compact) {
        kinds[kindCount++] = &kiPod3Thumb78;
        kinds[kindCount++] = &kThumb120;
    } else {
        for (const ThumbKind *k : {&kThumb78, &kThumb158, &kThumb167, &kThumb120, &kThumb32})
            kinds[kindCount++] = k;
    }
    const int trailerSize = compact ? kCompactTrailerSize : kFullTrailerSize;
    qint64 thumbBytes = 0;
    for (int i = 0; i < kindCount; ++i)
        thumbBytes += qint64(kinds[i]->width) * kinds[i]->height * 2;

    // Offsets and lengths are 32-bit: a file that could not be described
    // is refused before it is read.
    const qint64 announced = file.size();
    if (announced < 0 || announced + thumbBytes + trailerSize > qint64(std::numeric_limits<quint32>::max())) {
        logError(QStringLiteral("create thumbnail file too large: ") + path);
        return {};
    }

    // The container starts as the file itself; S is the number of bytes read.
    // The file is read straight into the container's buffer, sized for the
    // whole container, until a read answers nothing.
    QByteArray out;
    out.reserve(announced + thumbBytes + trailerSize);
    const qint64 chunk = compact ? 10240 : 102400;
    qint64 got = 0;
    for (;;) {
        if (out.size() < got + chunk)
            out.resize(got + chunk);
        const qint64 n = file.read(out.data() + got, chunk);
        if (n < 0) {
            logError(QStringLiteral("create thumbnail read file error: ") + path);
            return {};
        }
        if (n == 0)
            break;
        got += n;
    }
    out.resize(got);
    file.close();
    const qint64 S = out.size();
    if (S + thumbBytes + trailerSize > qint64(std::numeric_limits<quint32>::max())) {
        logError(QStringLiteral("create thumbnail file too large: ") + path);
        return {};
    }
    out.reserve(S + thumbBytes + trailerSize);

    QSize original;
    QImage picture = decodeOnce(out, allowReducedDecode_, &original);
    if (picture.isNull())
        logError(QStringLiteral("Original image is nil: ") + path);

    quint32 lengths[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < kindCount; ++i) {
        const QByteArray thumb = picture.isNull() ? QByteArray() : makeThumb(picture, original, *kinds[i]);
        lengths[i] = quint32(thumb.size());
        out.append(thumb);
    }
    picture = QImage();

    const quint32 s = quint32(S);
    const quint32 E = quint32(out.size());
    if (compact) {
        appendInt(out, 4036);
        appendInt(out, 0);
        appendInt(out, s);
        appendInt(out, 3041);
        appendInt(out, s);
        appendInt(out, lengths[0]);
        appendInt(out, 4031);
        appendInt(out, s + lengths[0]);
        appendInt(out, 28800);  // the device expects the constant here, not U2
        appendInt(out, 0);
        appendInt(out, 32);
        appendInt(out, 0);
        appendInt(out, 3);
        appendInt(out, 12);
        appendInt(out, E);
        out.append(uuid);
        appendInt(out, E + kCompactTrailerSize);
    } else {
        appendInt(out, 4035);
        appendInt(out, 0);
        appendInt(out, s);
        quint32 offset = s;
        for (int i = 0; i < kindCount; ++i) {
            appendInt(out, quint32(kinds[i]->format));
            appendInt(out, offset);
            // The device expects the constant 2048 for the last entry, not T5.
            appendInt(out, i == kindCount - 1 ? 2048u : lengths[i]);
            offset += lengths[i];
        }
        appendInt(out, 0);
        appendInt(out, 32);
        appendInt(out, 0);
        appendInt(out, 6);
        appendInt(out, 12);
        appendInt(out, E);
        out.append(uuid);
        appendInt(out, E + kFullTrailerSize);
    }
    appendInt(out, 2);
    out.append("imth", 4);

    fileTatolSize_ += out.size();
    logInfo(QStringLiteral("create thumbnail container: %1, %2 bytes").arg(uuidText).arg(out.size()));
    return out;
}

bool MySyncThbumcreate::writeContainer(const MyPhotoOrAlbumInfo &record, QIODevice &out)
{
    const QByteArray container = createImageData(record);
    if (container.isNull())
        return false;
    qint64 written = 0;
    while (written < container.size()) {
        const qint64 n = out.write(container.constData() + written, container.size() - written);
        if (n <= 0) {
            logError(QStringLiteral("create thumbnail write error: ") + out.errorString());
            return false;
        }
        written += n;
    }
    return true;
}

// ---- Thumbnails ------------------------------------------------------------

QByteArray MySyncThbumcreate::makeThumb(const QImage &picture, QSize originalSize, const ThumbKind &kind)
{
    if (picture.isNull() || originalSize.isEmpty())
        return {};
    if (originalSize.height() > kind.limitHeight || originalSize.width() > kind.limitWidth) {
        const QImage square = cropFrom(picture, originalSize);
        if (square.isNull())
            return {};
        return suchAsScalingImage(square, kind.width, kind.height, kind.fill);
    }
    return createSmallImage(picture, kind.width, kind.height, kind.fill);
}

namespace {
QByteArray thumbFromFile(const QString &path, const MySyncThbumcreate::ThumbKind &kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("Original image is nil: ") + path);
        return {};
    }
    QSize original;
    const QImage picture = decodeOnce(file.readAll(), false, &original);
    if (picture.isNull()) {
        logError(QStringLiteral("Original image is nil: ") + path);
        return {};
    }
    return MySyncThbumcreate::makeThumb(picture, original, kind);
}
}  // namespace

QByteArray MySyncThbumcreate::createThumb78_78Image(const QString &path) { return thumbFromFile(path, kThumb78); }
QByteArray MySyncThbumcreate::createiPod3Thumb78_78Image(const QString &path) { return thumbFromFile(path, kiPod3Thumb78); }
QByteArray MySyncThbumcreate::createThumb158_158Image(const QString &path) { return thumbFromFile(path, kThumb158); }
QByteArray MySyncThbumcreate::createThumb167_167Image(const QString &path) { return thumbFromFile(path, kThumb167); }
QByteArray MySyncThbumcreate::createThumb120_120Image(const QString &path) { return thumbFromFile(path, kThumb120); }
QByteArray MySyncThbumcreate::createThumb32_32Image(const QString &path) { return thumbFromFile(path, kThumb32); }

QImage MySyncThbumcreate::cutOriginalImage(const QImage &image, bool /*addLine*/)
{
    return cropFrom(image, image.size());
}

QByteArray MySyncThbumcreate::suchAsScalingImage(const QImage &image, int width, int height, bool fillRectangle)
{
    if (image.isNull() || width <= (fillRectangle ? 9 : 0) || height <= 0)
        return {};
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::white);
    // Geometry in lower-left coordinates is {0, 0, W, H}, or {0, 8, W - 9, H}
    // with the fill flag. In Qt's top-left coordinates the latter starts at
    // y = H - 8 - H = -8: the picture's top 8 rows fall off the canvas and
    // its lowest 8 rows stay white, as do the rightmost 9 columns.
    const QSize drawSize = fillRectangle ? QSize(width - 9, height) : QSize(width, height);
    const QPoint at(0, fillRectangle ? -8 : 0);
    try {
        // The reduction itself uses Qt's area-averaging scaler: fast at these
        // sizes and free of the aliasing of a point-sampled reduction.
        const QImage scaled = image.size() == drawSize
                                  ? image
                                  : image.scaled(drawSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(at, scaled);
    } catch (const std::exception &e) {
        logError(QString::fromUtf8(e.what()));
        logError(QStringLiteral("Scaling image error"));
    }
    return MyHelper::convetToAirlockData(canvas, kPixelFormat);
}

QImage MySyncThbumcreate::suchAsScalingSmallImage(const QImage &image, int width, int height)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return {};
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    // Source-in over the opaque canvas: the picture replaces the canvas, and
    // its transparent parts stay transparent (they come out white after the
    // scale step).
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, width, height), image);
    painter.end();
    return canvas;
}

QByteArray MySyncThbumcreate::createSmallImage(const QImage &image, int width, int height, bool fill)
{
    const QImage stretched = suchAsScalingSmallImage(image, width, height);
    if (stretched.isNull())
        return {};
    return suchAsScalingImage(stretched, width, height, fill);
}
