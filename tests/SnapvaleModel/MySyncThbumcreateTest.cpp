// The thumbnail container: its exact byte layout, the choice between the full
// and the compact kind, the crop / stretch / fill geometry of the 16-bit
// thumbnails, and what happens with pictures that do not decode, files that
// cannot be read and devices that fail while writing.

#include "MySyncThbumcreate.h"
#include "NVXLogManager.h"
#include "TempDir.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <mutex>

namespace {

using Kind = MySyncThbumcreate::ThumbKind;

const QString kUUID = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QByteArray kUUIDBytes = QByteArray::fromHex("0A1B2C3D4E5F60718293A4B5C6D7E8F9");

constexpr quint16 kWhite = 0xFFFF;
constexpr quint16 kBlack = 0x8000;
constexpr quint16 kRed = 0xFC00;
constexpr quint16 kGreen = 0x83E0;

class LogLines {
public:
    LogLines()
    {
        NVXLogManager::singleton().setTap([this](NVXLogManager::Level, const QString &line) {
            std::lock_guard lock(mutex_);
            lines_ << line;
        });
    }
    ~LogLines() { NVXLogManager::singleton().setTap({}); }
    bool contains(const QString &text) const
    {
        std::lock_guard lock(mutex_);
        for (const QString &l : lines_)
            if (l.contains(text))
                return true;
        return false;
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

// Picture records are not copyable (they hold their own lock).
std::unique_ptr<MyPhotoOrAlbumInfo> record(const QString &path, const QString &uuid = kUUID)
{
    auto r = std::make_unique<MyPhotoOrAlbumInfo>();
    r->setPhotoName(path);
    r->setPhotoUUID(uuid);
    return r;
}

quint32 be32(const QByteArray &b, qint64 offset)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(b.constData() + offset));
}

quint16 pixel(const QByteArray &thumb, int width, int x, int y)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar *>(thumb.constData()) + 2 * (qint64(y) * width + x));
}

// Largest difference of the three 5-bit components of two ARGB1555 words.
int distance(quint16 a, quint16 b)
{
    int d = 0;
    for (int shift : {0, 5, 10})
        d = std::max(d, std::abs(int((a >> shift) & 31) - int((b >> shift) & 31)));
    return d;
}

QString saveImage(const TempDir &dir, const QString &name, const QImage &image, const char *format, int quality = -1)
{
    const QString path = dir.file(name);
    EXPECT_TRUE(image.save(path, format, quality)) << name.toStdString();
    return path;
}

QImage solid(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    return image;
}

// A picture with its left half transparent and its right half red: the crop
// step puts it over black, the stretch step keeps the transparency, which the
// scale step turns white. So the left half tells which step made a thumbnail.
QImage halfTransparent(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(w / 2, 0, w - w / 2, h), Qt::red);
    return image;
}

// The picture area of a thumbnail (everything left of the fill margins).
QSize pictureArea(const Kind &k) { return k.fill ? QSize(k.width - 9, k.height - 8) : QSize(k.width, k.height); }

TEST(MySyncThbumcreate, FullTrailerOfAMillionByteFile)
{
    TempDir dir;
    // A decodable JPEG padded to exactly 1,000,000 bytes (decoders stop at
    // the end-of-image marker).
    const QString path = saveImage(dir, "big.jpg", solid(300, 200), "JPEG");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_TRUE(f.write(QByteArray(1000000 - f.size(), '\0')) > 0);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    ASSERT_EQ(file.size(), 1000000);

    MySyncThbumcreate gen(0, "8.1");
    const QByteArray c = gen.createImageData(*record(path));
    ASSERT_EQ(c.size(), 1150640);
    EXPECT_EQ(c.left(1000000), file);
    const quint32 S = 1000000, E = 1150516;
    ASSERT_EQ(c.size() - 124, qint64(E));
    const struct {
        int offset;
        quint32 value;
    } fields[] = {
        {0, 4035}, {4, 0}, {8, S},
        {12, 3041}, {16, S}, {20, 12324},
        {24, 3141}, {28, S + 12324}, {32, 50560},
        {36, 4040}, {40, S + 62884}, {44, 56784},
        {48, 4031}, {52, S + 119668}, {56, 28800},
        {60, 4032}, {64, S + 148468}, {68, 2048},
        {72, 0}, {76, 32}, {80, 0}, {84, 6}, {88, 12}, {92, E},
        {112, 1150640}, {116, 2},
    };
    for (const auto &f : fields)
        EXPECT_EQ(be32(c, E + f.offset), f.value) << "trailer offset " << f.offset;
    EXPECT_EQ(c.mid(E + 96, 16), kUUIDBytes);
    EXPECT_EQ(c.mid(E + 120, 4), QByteArray("imth"));

    EXPECT_EQ(gen.fileTatolSize(), 1150640);
    ASSERT_FALSE(gen.createImageData(*record(path)).isNull());
    EXPECT_EQ(gen.fileTatolSize(), 2 * 1150640);
}

TEST(MySyncThbumcreate, CompactTrailer)
{
    TempDir dir;
    const QString path = saveImage(dir, "p.png", solid(300, 200), "PNG");
    const quint32 S = quint32(QFile(path).size());
    MySyncThbumcreate gen(1003, "6.1.3");
    ASSERT_TRUE(gen.isCompact());
    const QByteArray c = gen.createImageData(*record(path));
    ASSERT_EQ(c.size(), qint64(S) + 41368);
    const quint32 E = S + 41280;
    const struct {
        int offset;
        quint32 value;
    } fields[] = {
        {0, 4036}, {4, 0}, {8, S}, {12, 3041}, {16, S}, {20, 12480}, {24, 4031}, {28, S + 12480},
        {32, 28800}, {36, 0}, {40, 32}, {44, 0}, {48, 3}, {52, 12}, {56, E}, {76, E + 88}, {80, 2},
    };
    for (const auto &f : fields)
        EXPECT_EQ(be32(c, E + f.offset), f.value) << "trailer offset " << f.offset;
    EXPECT_EQ(c.mid(E + 60, 16), kUUIDBytes);
    EXPECT_EQ(c.mid(E + 84, 4), QByteArray("imth"));
}

TEST(MySyncThbumcreate, ContainerKindFollowsFamilyCodeAndRelease)
{
    TempDir dir;
    const QString path = saveImage(dir, "p.png", solid(40, 30), "PNG");
    const qint64 S = QFile(path).size();
    const struct {
        int family;
        const char *version;
        bool compact;
    } cases[] = {
        {1003, "5.0", true}, {1003, "5.1.1", true}, {1003, "8.4.1", true},
        {1003, "4.3.5", false}, {1003, "", false}, {1002, "6.1.3", false}, {0, "8.0", false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(std::to_string(k.family) + " " + k.version);
        EXPECT_EQ(MySyncThbumcreate::usesCompactContainer(k.family, k.version), k.compact);
        MySyncThbumcreate gen(k.family, k.version);
        const QByteArray c = gen.createImageData(*record(path));
        ASSERT_EQ(c.size(), S + (k.compact ? 41368 : 150640));
        EXPECT_EQ(be32(c, c.size() - (k.compact ? 88 : 124)), k.compact ? 4036u : 4035u);
    }
}

// Every thumbnail of a 3000 x 2000 picture (and of its tall twin) shows only
// the centred 2000 x 2000 square: the bands outside it are red and blue.
TEST(MySyncThbumcreate, LargePicturesAreCutToTheirCentredSquare)
{
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "3000 x 2000" : "2000 x 3000");
        QImage image(wide ? 3000 : 2000, wide ? 2000 : 3000, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter p(&image);
        p.fillRect(wide ? QRect(0, 0, 500, 2000) : QRect(0, 0, 2000, 500), Qt::red);
        p.fillRect(wide ? QRect(2500, 0, 500, 2000) : QRect(0, 2500, 2000, 500), Qt::blue);
        p.end();
        for (const Kind &k : {MySyncThbumcreate::kThumb78, MySyncThbumcreate::kiPod3Thumb78,
                              MySyncThbumcreate::kThumb158, MySyncThbumcreate::kThumb167,
                              MySyncThbumcreate::kThumb120, MySyncThbumcreate::kThumb32}) {
            SCOPED_TRACE(k.format);
            const QByteArray t = MySyncThbumcreate::makeThumb(image, image.size(), k);
            ASSERT_EQ(t.size(), qint64(k.width) * k.height * 2);
            const QSize area = pictureArea(k);
            int wrong = 0;
            for (int y = 0; y < k.height; ++y)
                for (int x = 0; x < k.width; ++x)
                    wrong += pixel(t, k.width, x, y) != (x < area.width() && y < area.height() ? kGreen : kWhite);
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Which step makes each thumbnail, by the picture's size against the
// thumbnail's limits: cropped thumbnails show the transparent half black,
// stretched ones white.
TEST(MySyncThbumcreate, CropOrStretchByTheLimits)
{
    const struct {
        Kind kind;
        int w, h;
        bool cropped;
    } cases[] = {
        // A 100 x 100 picture.
        {MySyncThbumcreate::kThumb78, 100, 100, true},
        {MySyncThbumcreate::kiPod3Thumb78, 100, 100, true},
        {MySyncThbumcreate::kThumb32, 100, 100, true},
        {MySyncThbumcreate::kThumb120, 100, 100, false},
        {MySyncThbumcreate::kThumb158, 100, 100, false},
        {MySyncThbumcreate::kThumb167, 100, 100, false},
        // The limits of 3041 themselves.
        {MySyncThbumcreate::kThumb78, 79, 78, false},
        {MySyncThbumcreate::kThumb78, 80, 78, true},
        {MySyncThbumcreate::kThumb78, 79, 79, true},
        {MySyncThbumcreate::kiPod3Thumb78, 80, 78, false},
        {MySyncThbumcreate::kiPod3Thumb78, 81, 78, true},
        {MySyncThbumcreate::kThumb167, 169, 168, false},
        {MySyncThbumcreate::kThumb167, 169, 169, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.kind.format) + " " + std::to_string(c.kind.width) + " from "
                     + std::to_string(c.w) + " x " + std::to_string(c.h));
        const QImage image = halfTransparent(c.w, c.h);
        const QByteArray t = MySyncThbumcreate::makeThumb(image, image.size(), c.kind);
        ASSERT_EQ(t.size(), qint64(c.kind.width) * c.kind.height * 2);
        const QSize area = pictureArea(c.kind);
        const int y = area.height() / 2;
        EXPECT_EQ(pixel(t, c.kind.width, 2, y), c.cropped ? kBlack : kWhite);
        EXPECT_EQ(pixel(t, c.kind.width, area.width() - 3, y), kRed);
    }
}

// The fill flag: the picture is drawn 9 pixels narrower and 8 higher, so its
// top 8 rows (blue here) fall off the canvas and the lowest 8 rows and the
// rightmost 9 columns stay white; formats without the flag cover the canvas.
TEST(MySyncThbumcreate, FillFlagLeavesBottomRowsAndRightColumnsWhite)
{
    for (const Kind &k : {MySyncThbumcreate::kThumb158, MySyncThbumcreate::kThumb167, MySyncThbumcreate::kThumb120}) {
        SCOPED_TRACE(k.format);
        QImage image(k.width, k.height, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter(&image).fillRect(0, 0, k.width, 8, Qt::blue);
        const QByteArray t = MySyncThbumcreate::makeThumb(image, image.size(), k);
        ASSERT_EQ(t.size(), qint64(k.width) * k.height * 2);
        int wrong = 0;
        for (int y = 0; y < k.height; ++y) {
            for (int x = 0; x < k.width; ++x) {
                quint16 expected;
                if (k.fill)
                    expected = x >= k.width - 9 || y >= k.height - 8 ? kWhite : kRed;
                else
                    expected = y < 8 ? quint16(0x801F) : kRed;
                wrong += distance(pixel(t, k.width, x, y), expected) > 1;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(MySyncThbumcreate, PictureThatDoesNotDecodeKeepsFileAndTrailer)
{
    TempDir dir;
    const QString path = dir.file("broken.jpg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xff\xd8 this is not really a picture");
    }
    const qint64 S = QFile(path).size();
    LogLines log;

    MySyncThbumcreate full(0, "7.1.2");
    const QByteArray c = full.createImageData(*record(path));
    ASSERT_EQ(c.size(), S + 124);
    EXPECT_EQ(c.left(S), QByteArray("\xff\xd8 this is not really a picture"));
    for (int entry = 0; entry < 5; ++entry) {
        EXPECT_EQ(be32(c, S + 16 + 12 * entry), quint32(S)) << entry;
        EXPECT_EQ(be32(c, S + 20 + 12 * entry), entry == 4 ? 2048u : 0u) << entry;
    }
    EXPECT_EQ(be32(c, S + 92), quint32(S));
    EXPECT_EQ(be32(c, S + 112), quint32(S + 124));

    MySyncThbumcreate compact(1003, "5.1");
    const QByteArray k = compact.createImageData(*record(path));
    ASSERT_EQ(k.size(), S + 88);
    EXPECT_EQ(be32(k, S + 20), 0u);
    EXPECT_EQ(be32(k, S + 28), quint32(S));
    EXPECT_EQ(be32(k, S + 32), 28800u);
    EXPECT_EQ(be32(k, S + 76), quint32(S + 88));

    EXPECT_TRUE(MySyncThbumcreate::createThumb32_32Image(path).isNull());
    EXPECT_TRUE(log.contains("Original image is nil"));
}

TEST(MySyncThbumcreate, UnreadableFileOrBadUUIDGivesNoContainer)
{
    TempDir dir;
    const QString picture = saveImage(dir, "p.png", solid(40, 30), "PNG");
    const struct {
        QString path, uuid, logged;
    } cases[] = {
        {dir.file("missing.jpg"), kUUID, "create thumbnail open file error"},
        {dir.path(), kUUID, "create thumbnail open file error"},
        {QString(), kUUID, "create thumbnail open file error"},
        {picture, "not-a-uuid", "create thumbnail invalid UUID"},
        {picture, "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FZ", "create thumbnail invalid UUID"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString() + " " + c.uuid.toStdString());
        LogLines log;
        MySyncThbumcreate gen(0, "8.0");
        EXPECT_TRUE(gen.createImageData(*record(c.path, c.uuid)).isNull());
        EXPECT_EQ(gen.fileTatolSize(), 0);
        EXPECT_TRUE(log.contains(c.logged));
    }
    // The generator goes on with the next picture.
    MySyncThbumcreate gen(0, "8.0");
    EXPECT_TRUE(gen.createImageData(*record(dir.file("missing.jpg"))).isNull());
    EXPECT_FALSE(gen.createImageData(*record(picture)).isNull());
}

// A device that takes `limit` bytes and then fails every write.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit) : limit_(limit) { open(QIODevice::WriteOnly); }
    QByteArray data;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 size) override
    {
        const qint64 room = limit_ - data.size();
        if (room <= 0) {
            setErrorString("device full");
            return -1;
        }
        const qint64 n = std::min(room, size);
        data.append(bytes, n);
        return n;
    }

private:
    qint64 limit_;
};

TEST(MySyncThbumcreate, WriteFailsCleanlyOnAFailingDevice)
{
    TempDir dir;
    const QString path = saveImage(dir, "p.png", solid(200, 100), "PNG");
    MySyncThbumcreate gen(0, "8.0");
    const QByteArray expected = gen.createImageData(*record(path));
    ASSERT_FALSE(expected.isNull());
    for (const qint64 limit : {qint64(0), qint64(100), expected.size() - 1}) {
        SCOPED_TRACE(limit);
        LogLines log;
        FailingDevice device(limit);
        EXPECT_FALSE(gen.writeContainer(*record(path), device));
        EXPECT_TRUE(log.contains("create thumbnail write error"));
    }
    FailingDevice roomy(expected.size());
    EXPECT_TRUE(gen.writeContainer(*record(path), roomy));
    EXPECT_EQ(roomy.data, expected);
}

// A camera-sized JPEG is decoded at a reduced size; its thumbnails stay
// within a few 5-bit steps of those made from the full-size decode.
TEST(MySyncThbumcreate, ReducedDecodeMatchesFullDecode)
{
    TempDir dir;
    QImage image(2400, 1800, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(x * 255 / 2399, y * 255 / 1799, int(127 + 120 * std::sin((x + y) / 300.0)));
    }
    const QString path = saveImage(dir, "camera.jpg", image, "JPEG", 90);
    MySyncThbumcreate reduced(0, "8.0"), full(0, "8.0");
    full.setAllowReducedDecode(false);
    const QByteArray a = reduced.createImageData(*record(path));
    const QByteArray b = full.createImageData(*record(path));
    ASSERT_EQ(a.size(), b.size());
    const qint64 S = QFile(path).size();
    EXPECT_EQ(a.left(S), b.left(S));
    EXPECT_EQ(a.right(124), b.right(124));
    int worst = 0;
    for (qint64 i = S; i + 1 < a.size() - 124; i += 2)
        worst = std::max(worst, distance(qFromLittleEndian<quint16>(a.constData() + i),
                                         qFromLittleEndian<quint16>(b.constData() + i)));
    EXPECT_LE(worst, 2);
}

}  // namespace
