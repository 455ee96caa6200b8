#include "ScopedTimeZone.h"
#include "MyHelper.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QRegularExpression>
#include <QUuid>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <ctime>
#include <vector>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QString savePicture(const TempDir &dir, const QString &name, const QImage &image)
{
    const QString path = dir.file(name);
    EXPECT_TRUE(image.save(path, "PNG")) << name.toStdString();
    return path;
}

QImage solid(int w, int h, QRgb colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

// Colour classes for pictures made of pure bands: which primary dominates.
bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 50 && qBlue(c) < 50; }
bool isGreen(QRgb c) { return qGreen(c) > 200 && qRed(c) < 50 && qBlue(c) < 50; }
bool isBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 50 && qGreen(c) < 50; }

quint16 wordAt(const QByteArray &bytes, int index)
{
    return quint16(quint8(bytes[2 * index]) | quint8(bytes[2 * index + 1]) << 8);
}

}  // namespace

// ---- Folders and file sizes ------------------------------------------------

TEST(MyHelperFolders, SupportAndTempFoldersLiveUnderDataHomeAndAreRecreated)
{
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + "/com.norvix.Snapvale/Snapvale";
    EXPECT_EQ(MyHelper::getAppSupportPath(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());

    const QString temp = MyHelper::getAppTempPath();
    EXPECT_EQ(temp, expected + "/tmp");
    // The application deletes the temporary folder when it quits; the next
    // use must bring it back.
    ASSERT_TRUE(QDir(temp).removeRecursively());
    EXPECT_EQ(MyHelper::getAppTempPath(), temp);
    EXPECT_TRUE(QFileInfo(temp).isDir());
}

TEST(MyHelperFolders, ResourceIsSeededOnceAsAWritableCopy)
{
    const QString expected = MyHelper::getAppSupportPath() + "/NVXSoftware-Info.plist";
    QFile::remove(expected);

    const QString path = MyHelper::resourcePathOfAppDir("NVXSoftware-Info", "plist");
    EXPECT_EQ(path, expected);
    QFile seed(":/seed/NVXSoftware-Info.plist");
    ASSERT_TRUE(seed.open(QIODevice::ReadOnly));
    QFile copy(path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), seed.readAll());
    copy.close();

    // The settings store rewrites the file in place; a second call must keep
    // what it wrote.
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) << "seeded copy is not writable";
    copy.write("changed");
    copy.close();
    EXPECT_EQ(MyHelper::resourcePathOfAppDir("NVXSoftware-Info", "plist"), expected);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("changed"));
}

TEST(MyHelperFolders, ResourceWithoutSeedOrWithHostileNames)
{
    const QString support = MyHelper::getAppSupportPath();
    const QString path = MyHelper::resourcePathOfAppDir("NoSuchSeed", "plist");
    EXPECT_EQ(path, support + "/NoSuchSeed.plist");
    EXPECT_FALSE(QFileInfo::exists(path));

    const struct {
        const char *name;
        const char *type;
    } hostile[] = {{"../escape", "plist"}, {"a/b", "plist"}, {"x", "y/../../z"}, {"", "plist"}};
    for (const auto &c : hostile)
        EXPECT_TRUE(MyHelper::resourcePathOfAppDir(c.name, c.type).isNull()) << c.name << "." << c.type;
}

TEST(MyHelperFiles, LengthFollowsLinksWhileLinkSizeDoesNot)
{
    TempDir dir;
    writeFile(dir.file("file.bin"), QByteArray(10, 'x'));
    const QString target = dir.file("file.bin");
    ASSERT_TRUE(QFile::link(target, dir.file("link")));

    EXPECT_EQ(MyHelper::getFileLength(target), 10);
    EXPECT_EQ(MyHelper::fileSizeAtPath(target), 10);
    EXPECT_EQ(MyHelper::getFileLength(dir.file("link")), 10);
    EXPECT_EQ(MyHelper::fileSizeAtPath(dir.file("link")), QFile::encodeName(target).size());

    for (const QString &bad : {dir.file("missing"), QString(), QString::fromLatin1("a\0b", 3)}) {
        EXPECT_EQ(MyHelper::getFileLength(bad), 0);
        EXPECT_EQ(MyHelper::fileSizeAtPath(bad), 0);
    }
}

TEST(MyHelperFiles, LengthOfAFileBeyond32BitsSaturates)
{
    TempDir dir;
    QFile big(dir.file("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    const qint64 size = qint64(3) << 30;
    if (!big.resize(size))  // sparse: takes no disk space where supported
        GTEST_SKIP() << "cannot make a sparse file here";
    big.close();
    EXPECT_EQ(MyHelper::getFileLength(big.fileName()), INT32_MAX);
    EXPECT_EQ(MyHelper::fileSizeAtPath(big.fileName()), size);
}

// ---- Versions --------------------------------------------------------------

TEST(MyHelperVersions, CompareVersionsIsNumericAware)
{
    const struct {
        const char *a;
        const char *b;
        int sign;
    } cases[] = {
        {"1.0", "1.0", 0},
        {"1.2", "1.10", -1},
        {"10", "9", 1},
        {"8.3", "8.10", -1},
        {"6", "6.0", -1},            // a prefix orders first
        {"5.0", "5.0.1", -1},
        {"", "", 0},
        {"", "1", -1},
        {"007", "7", 0},             // leading zeros do not count
        {"01.2", "1.10", -1},        // equal runs: keep comparing
        {"1.01", "1.1", 0},
        {"1a", "1.", 1},             // other characters by code
        {"a", "b", -1},
        {"1", "a", -1},
        {"99999999999999999999", "100000000000000000000", -1},  // beyond 64 bits
        {"123456789012345678901234567890", "123456789012345678901234567891", -1},
        {"0000000000000000000000001", "2", -1},
        {"2.000000000000000000000000000000000000001", "2.1", 0},
    };
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto &c : cases) {
        EXPECT_EQ(sign(MyHelper::compareVersions(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(MyHelper::compareVersions(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(MyHelperVersions, JudgeVersionGivesTheReleaseFamily)
{
    const struct {
        const char *version;
        int family;
    } cases[] = {
        {"5.0", 5}, {"5.1.1", 5}, {"5.10", 5}, {"6", 5}, {"6.0", 6}, {"6.1.3", 6}, {"7.0", 7},
        {"7.1.2", 7}, {"8.0", 8}, {"8.3", 8}, {"8.4.1", 8}, {"9.0", 8}, {"10.0", 8}, {"4.3.5", 1},
        {"4.99", 1}, {"", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::judgeVersion(c.version), c.family) << c.version;
    EXPECT_EQ(MyHelper::judgeVersion(QString()), 1);
}

TEST(MyHelperVersions, RegExAnswersTheFirstCaptureGroupOrNull)
{
    const QString os = "[V|v]ersion ((\\d+|\\.)*)";
    const struct {
        QString text;
        QString pattern;
        const char *expected;  // nullptr: a null answer
    } cases[] = {
        {"Version 10.9.5 (Build 13F34)", os, "10.9.5"},
        {"version 12 (Build 6.1.0-18-amd64)", os, "12"},
        {"Kernel 6.1", os, nullptr},
        {"Version abc", os, ""},                 // matched, with an empty group
        {QString::fromUtf8("ünï 42"), "(\\d+)", "42"},
        {QString::fromUtf8("😀 x=7"), "x=(\\d)", "7"},  // offsets past a surrogate pair
        {"abc", "(x)|b", nullptr},               // the group took no part
        {"abc", "b", nullptr},                   // no group at all
        {"abc", "(", nullptr},                   // invalid pattern
        {"abc", "", nullptr},
        {"", "(a*)", ""},
    };
    for (const auto &c : cases) {
        const QString got = MyHelper::getStringWithRegEx(c.text, c.pattern);
        if (c.expected == nullptr) {
            EXPECT_TRUE(got.isNull()) << c.text.toStdString() << " ~ " << c.pattern.toStdString();
        } else {
            EXPECT_FALSE(got.isNull()) << c.text.toStdString();
            EXPECT_EQ(got, QString::fromUtf8(c.expected)) << c.text.toStdString();
        }
    }
}

TEST(MyHelperVersions, OsVersionIsTheProductVersionNumber)
{
    const QString product = QSysInfo::productVersion();
    const QString version = MyHelper::osVersion();
    if (QRegularExpression("^[0-9.]+$").match(product).hasMatch())
        EXPECT_EQ(version, product);  // Debian 12: "12"
    else
        GTEST_SKIP() << "product version is not numeric here: " << product.toStdString();
}

// ---- Dates -----------------------------------------------------------------

TEST(MyHelperDates, DatabaseTimeShowsAsEightAheadOfUtcInEveryZone)
{
    const char *zones[] = {"UTC0", "JST-9", "EST5EDT,M3.2.0,M11.1.0", "NPT-5:45",
                           "AEST-10AEDT,M10.1.0,M4.1.0/3", "LINT-14", "NST3:30NDT,M3.2.0,M11.1.0",
                           "<-12>12"};
    for (const char *zone : zones) {
        ScopedTimeZone tz(zone);
        EXPECT_EQ(MyHelper::dateToString(0), "2001-01-01 08:00:00") << zone;
        EXPECT_EQ(MyHelper::dateToString(86400), "2001-01-02 08:00:00") << zone;
        EXPECT_EQ(MyHelper::dateToString(86400 + 3661), "2001-01-02 09:01:01") << zone;
    }
    {
        // The zone switch must reach Qt, or the loop above proves nothing.
        ScopedTimeZone tz("JST-9");
        EXPECT_EQ(QDateTime(QDate(2001, 1, 1), QTime(8, 0)).offsetFromUtc(), 9 * 3600);
    }
    {
        // Elapsed seconds, not calendar days: crossing into summer time
        // moves the wall clock by the daylight-saving hour.
        ScopedTimeZone tz("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(MyHelper::dateToString(181 * 86400), "2001-07-01 09:00:00");
    }
    EXPECT_TRUE(MyHelper::dateToString(ULLONG_MAX).isNull());
}

TEST(MyHelperDates, TimeStampCountsFromLocal1904)
{
    {
        ScopedTimeZone tz("UTC0");
        const QDateTime y2001(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        EXPECT_EQ(MyHelper::getTimeStampFromDate(y2001), 3061152000ULL);
        EXPECT_EQ(MyHelper::getTimeStampFromDate(y2001.addMSecs(999)), 3061152000ULL);  // truncated
        EXPECT_EQ(MyHelper::getTimeStampFromDate(QDateTime(QDate(1904, 1, 1), QTime(0, 0, 1), Qt::UTC)), 1ULL);
        EXPECT_EQ(MyHelper::getTimeStampFromDate(QDateTime(QDate(1903, 12, 31), QTime(12, 0), Qt::UTC)), 0ULL);
        EXPECT_EQ(MyHelper::getTimeStampFromDate(QDateTime()), 0ULL);
    }
    {
        // The reference is local midnight: in UTC+9 it lies nine hours earlier.
        ScopedTimeZone tz("JST-9");
        EXPECT_EQ(MyHelper::getTimeStampFromDate(QDateTime(QDate(2001, 1, 1), QTime(0, 0))), 3061152000ULL);
        EXPECT_EQ(MyHelper::getTimeStampFromDate(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)),
                  3061152000ULL + 9 * 3600);
    }
}

// ---- Identifiers and bytes -------------------------------------------------

TEST(MyHelperBytes, HexTextAndBackRoundTrip)
{
    const QByteArray bytes = QByteArray::fromHex("00ff10ab7f80");
    EXPECT_EQ(MyHelper::NSdatatoNSString(bytes), "00ff10ab7f80");
    EXPECT_EQ(MyHelper::NSdatatoNSString(QByteArray()), "");
    EXPECT_EQ(MyHelper::My16NSStringToNSData("00FF10ab7F80"), bytes);
    EXPECT_EQ(MyHelper::My16NSStringToNSData(MyHelper::NSdatatoNSString(bytes)), bytes);

    EXPECT_TRUE(MyHelper::My16NSStringToNSData("").isEmpty());
    EXPECT_EQ(MyHelper::My16NSStringToNSData("abc"), QByteArray("\xab", 1));  // odd digit ignored
    for (const char *bad : {"zz", "0g", "12 4", "-1"})
        EXPECT_TRUE(MyHelper::My16NSStringToNSData(bad).isNull()) << bad;
}

TEST(MyHelperBytes, PhotoUuidText)
{
    const struct {
        const char *hex;
        const char *uuid;
    } cases[] = {
        {"0123456789abcdef0123456789abcdef", "01234567-89AB-CDEF-0123-456789ABCDEF"},
        {"abcd", "00000000-0000-0000-0000-00000000ABCD"},
        {"0123456789", "00000000-0000-0000-0000-000123456789"},
        {"", "00000000-0000-0000-0000-000000000000"},
        {"0123456789ab", "01234567-89AB---"},  // too short for all groups: no overrun
        {"0123456789abcdef0123456789abcdef0000", "01234567-89AB-CDEF-0123-456789ABCDEF0000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::createPhotoUUID(c.hex), c.uuid) << c.hex;

    // Bytes from the database render to the standard UUID text.
    const QUuid uuid = QUuid::fromString(QStringLiteral("{6f1c2a3b-4d5e-4f60-8a9b-0c1d2e3f4a5b}"));
    EXPECT_EQ(MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(uuid.toRfc4122())),
              uuid.toString(QUuid::WithoutBraces).toUpper());
}

TEST(MyHelperBytes, IntToBytesIsBigEndian)
{
    const struct {
        qint32 value;
        const char *hex;
    } cases[] = {{102, "00000066"}, {0x12345678, "12345678"}, {-1, "ffffffff"}, {INT32_MIN, "80000000"}};
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::intToBytes(c.value).toHex(), QByteArray(c.hex)) << c.value;
}

TEST(MyHelperBytes, NilOrEmpty)
{
    EXPECT_TRUE(MyHelper::stringIsNilOrEmpty(QString()));
    EXPECT_TRUE(MyHelper::stringIsNilOrEmpty(""));
    EXPECT_FALSE(MyHelper::stringIsNilOrEmpty(" "));
}

// ---- Sizes -----------------------------------------------------------------

TEST(MyHelperSizes, FileSizeString)
{
    const qint64 GB = 1073741824;
    const struct {
        qint64 size;
        int decimals;
        const char *text;
    } cases[] = {
        {0, 2, "0B"},
        {512, 2, "512B"},
        {1023, 2, "1023B"},
        {-5, 2, "-5B"},
        {1024, 2, "1.00 KB"},
        {1024, 0, "1.00 KB"},           // unsupported decimals fall back to 2
        {1536, 1, "1.5 KB"},
        {1048576, 2, "1024.00 KB"},     // the unit changes only above 1024
        {1048577, 2, "1.00 MB"},
        {1500000, 3, "1.431 MB"},
        {2621440, 4, "2.5000 MB"},
        {GB, 2, "1024.00 MB"},
        {GB + GB / 2, 0, "1.50 GB"},    // gigabytes always show 2 decimals
        {GB + GB / 2, 1, "1.50 GB"},
        {GB + GB / 2, 4, "1.50 GB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::getFileSizeString(c.size, c.decimals), c.text) << c.size << "/" << c.decimals;
}

TEST(MyHelperSizes, RoundingPrintsLikePrintf)
{
    const struct {
        double value;
        int decimals;
        const char *text;
    } cases[] = {
        {3.25, 2, "3.25 MB"},
        {3.25, 1, "3.2 MB"},      // an exact tie rounds to even, as printf does
        {0.125, 2, "0.12 MB"},
        {2.0 / 3.0, 3, "0.667 MB"},
        {2.0 / 3.0, 4, "0.6667 MB"},
        {2.0 / 3.0, 7, "0.67 MB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::Rounding(c.value, c.decimals, "MB"), c.text) << c.value << "/" << c.decimals;
}

TEST(MyHelperSizes, RoundingIgnoresTheProcessLocale)
{
    const char *old = setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8") && !setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    const QString text = MyHelper::Rounding(3.25, 2, "MB");
    setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "3.25 MB");
}

// ---- Lists -----------------------------------------------------------------

namespace {
NVXPhotoDataPtr photo(int date, int size = 0, int zpk = 0)
{
    auto p = std::make_shared<NVXPhotoData>();
    p->photoDateData = date;
    p->photoSize = size;
    p->albumZpk = zpk;
    return p;
}
}  // namespace

TEST(MyHelperLists, TotalSizeAndLargestAlbumKey)
{
    EXPECT_EQ(MyHelper::getPhotosTotalSize(nullptr), 0);
    EXPECT_EQ(MyHelper::getPhotosTotalSize(makePhotoList()), 0);
    auto photos = makePhotoList();
    *photos << photo(0, 2000000000) << photo(0, 2000000000) << photo(0, 5);
    EXPECT_EQ(MyHelper::getPhotosTotalSize(photos), 4000000005LL);  // beyond 32 bits

    EXPECT_EQ(MyHelper::getMaxAlbumZpk(nullptr), 0);
    EXPECT_EQ(MyHelper::getMaxAlbumZpk(makePhotoList()), 0);
    auto albums = makePhotoList();
    *albums << photo(0, 0, 3) << photo(0, 0, 17) << photo(0, 0, 5);
    EXPECT_EQ(MyHelper::getMaxAlbumZpk(albums), 17);
    // Only placeholder keys: the largest of them, an element of the list.
    auto placeholders = makePhotoList();
    *placeholders << photo(0, 0, -102) << photo(0, 0, -100);
    EXPECT_EQ(MyHelper::getMaxAlbumZpk(placeholders), -100);
}

namespace {
// Positions in `source` of the records of `list`, by identity (-1 when a
// record is not one of the source's).
std::vector<int> positionsIn(const NVXPhotoArray &list, const NVXPhotoArray &source)
{
    std::vector<int> positions;
    for (const NVXPhotoDataPtr &p : list)
        positions.push_back(int(source.indexOf(p)));
    return positions;
}
}  // namespace

TEST(MyHelperLists, SortIsNewestFirstStableAndMakesANewList)
{
    auto input = makePhotoList();
    *input << photo(5) << photo(9) << photo(5) << photo(1) << photo(9);
    const NVXPhotoArray before = *input;

    const NVXPhotoList sorted = MyHelper::sortPicturesByTime1(input);
    ASSERT_TRUE(sorted);
    EXPECT_NE(sorted.get(), input.get());
    EXPECT_EQ(positionsIn(*input, before), (std::vector<int>{0, 1, 2, 3, 4}));  // input untouched
    // The same records, newest first, ties in input order.
    EXPECT_EQ(positionsIn(*sorted, before), (std::vector<int>{1, 4, 0, 2, 3}));

    // Long enough that an unstable sort algorithm would show.
    auto many = makePhotoList();
    for (int k = 0; k < 60; ++k)
        *many << photo(k % 3);
    std::vector<int> expected;
    for (int date = 2; date >= 0; --date)
        for (int k = date; k < 60; k += 3)
            expected.push_back(k);
    EXPECT_EQ(positionsIn(*MyHelper::sortPicturesByTime1(many), *many), expected);

    for (const NVXPhotoList &empty : {NVXPhotoList(), makePhotoList()}) {
        const NVXPhotoList result = MyHelper::sortPicturesByTime1(empty);
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->isEmpty());
    }
}

// ---- Picture files and unique names ----------------------------------------

TEST(MyHelperPaths, PictureExtensions)
{
    const struct {
        const char *path;
        bool picture;
    } cases[] = {
        {"a.jpg", true}, {"A.JPEG", true}, {"/p/x.Png", true}, {"x.gif", true}, {"x.bmp", true},
        {"x.tiff", false}, {"x.jpg.txt", false}, {"jpg", false}, {"dir.jpg/file", false}, {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::checkFileIsPicture(c.path), c.picture) << c.path;
}

TEST(MyHelperPaths, PictureFilesAreFoundRecursively)
{
    TempDir dir;
    for (const char *name : {"a.jpg", "b.PNG", "notes.txt", "sub/c.gif", "sub/x.jpg.txt", "sub/deeper/d.jpeg",
                             "sub/deeper/e.bmp", "album.jpg/f.jpg", ".hidden.jpg"})
        writeFile(dir.file(name), "x");
    ASSERT_TRUE(QFile::link(dir.path(), dir.file("sub/loop")));  // must not be followed

    QStringList expected;
    for (const char *name : {".hidden.jpg", "a.jpg", "album.jpg/f.jpg", "b.PNG", "sub/c.gif", "sub/deeper/d.jpeg",
                             "sub/deeper/e.bmp"})
        expected << dir.path() + "/" + name;
    expected.sort();

    for (const QString &folder : {dir.path(), dir.path() + "/"}) {
        QStringList found = MyHelper::getPictureFile(folder);
        found.sort();
        EXPECT_EQ(found, expected) << folder.toStdString();
    }

    EXPECT_TRUE(MyHelper::getPictureFile(dir.file("missing")).isEmpty());
    EXPECT_TRUE(MyHelper::getPictureFile(dir.file("a.jpg")).isEmpty());
    EXPECT_TRUE(MyHelper::getPictureFile(QString()).isEmpty());
}

TEST(MyHelperPaths, FilePathAliasFindsTheFirstFreeName)
{
    TempDir dir;
    for (const char *name : {"IMG_0001.JPG", "IMG_0001(1).JPG", "noext", "dir.v2/file", "a%1b.jpg"})
        writeFile(dir.file(name), "x");
    ASSERT_TRUE(QFile::link(dir.file("gone"), dir.file("dangling.jpg")));

    const struct {
        const char *path;
        const char *alias;
    } cases[] = {
        {"new.jpg", "new.jpg"},
        {"IMG_0001.JPG", "IMG_0001(2).JPG"},
        {"noext", "noext(1)."},             // empty extension still gets the point
        {"dir.v2/file", "dir.v2/file(1)."}, // a point in a folder name is no extension
        {"a%1b.jpg", "a%1b(1).jpg"},
        {"dangling.jpg", "dangling(1).jpg"}, // a dangling link counts as taken
    };
    for (const auto &c : cases)
        EXPECT_EQ(MyHelper::getFilePathAlias(dir.file(c.path)), dir.file(c.alias)) << c.path;
    EXPECT_EQ(MyHelper::getFilePathAlias(QString()), QString());
}

// ---- Images ----------------------------------------------------------------

TEST(MyHelperImages, DisplayThumbnailSizes)
{
    TempDir dir;
    const struct {
        int w, h, length, tw, th;
    } cases[] = {
        {400, 300, 98, 98, 73},     // 73.5 truncated
        {300, 400, 98, 73, 98},
        {500, 500, 98, 98, 98},     // square: second branch
        {2000, 1500, 138, 138, 103},
        {3, 2, 66, 66, 44},
        {1000, 1, 98, 98, 1},       // height truncates to 0: keep the picture's
        {1, 1000, 98, 1, 98},
    };
    for (const auto &c : cases) {
        const QString path = savePicture(dir, QString("p%1x%2.png").arg(c.w).arg(c.h), solid(c.w, c.h, qRgb(0, 0, 255)));
        const QImage thumb = MyHelper::getIOS7thumbnails(path, c.length);
        EXPECT_EQ(thumb.size(), QSize(c.tw, c.th)) << c.w << "x" << c.h << " at " << c.length;
        EXPECT_EQ(MyHelper::scalingImage(path, c.length).size(), QSize(c.tw, c.th));
        if (!thumb.isNull()) {
            EXPECT_TRUE(isBlue(thumb.pixel(thumb.width() / 2, thumb.height() / 2)));
        }
    }
}

TEST(MyHelperImages, AlbumCoverKeepsTheCentredSquare)
{
    TempDir dir;
    // Landscape 3000x2000 in four vertical bands: the centre 2000 columns are
    // green then blue; red and the last band lie outside the crop.
    QImage landscape(3000, 2000, QImage::Format_RGB32);
    landscape.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 2000; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(landscape.scanLine(y));
        for (int x = 500; x < 3000; ++x)
            line[x] = x < 1500 ? qRgb(0, 255, 0) : x < 2500 ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
    }
    const QImage cover = MyHelper::getAlbumCoverImage(savePicture(dir, "wide.png", landscape), 118);
    ASSERT_EQ(cover.size(), QSize(118, 118));
    for (int y = 0; y < 118; y += 9) {
        EXPECT_TRUE(isGreen(cover.pixel(0, y))) << "row " << y;
        EXPECT_TRUE(isGreen(cover.pixel(56, y))) << "row " << y;
        EXPECT_TRUE(isBlue(cover.pixel(61, y))) << "row " << y;
        EXPECT_TRUE(isBlue(cover.pixel(117, y))) << "row " << y;
    }

    // Portrait: the same bands as rows.
    const QImage portrait = landscape.transformed(QTransform().rotate(90));
    ASSERT_EQ(portrait.size(), QSize(2000, 3000));
    const QImage tall = MyHelper::getAlbumCoverImage(savePicture(dir, "tall.png", portrait), 54);
    ASSERT_EQ(tall.size(), QSize(54, 54));
    for (int x = 0; x < 54; x += 5) {
        EXPECT_TRUE(isGreen(tall.pixel(x, 0))) << "column " << x;
        EXPECT_TRUE(isBlue(tall.pixel(x, 53))) << "column " << x;
    }
}

TEST(MyHelperImages, CropOfAnOddMarginDropsTheExtraRowAtTheTop)
{
    // 4 wide, 7 high, each row its own colour. Three rows must go; with the
    // origin at the bottom, one goes at the bottom and two at the top.
    QImage rows(4, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 4; ++x)
            rows.setPixel(x, y, qRgb(30 * y, 100, 0));
    const QImage cut = MyHelper::cutImageForSize(rows, 4, 4, "W");
    ASSERT_EQ(cut.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(cut.pixel(1, y), rows.pixel(1, y + 2)) << "row " << y;

    // Sideways: columns 1..4 of 7 stay.
    QImage columns(7, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            columns.setPixel(x, y, qRgb(30 * x, 0, 100));
    const QImage cutH = MyHelper::cutImageForSize(columns, 4, 4, "H");
    ASSERT_EQ(cutH.size(), QSize(4, 4));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(cutH.pixel(x, 2), columns.pixel(x + 1, 2)) << "column " << x;

    EXPECT_TRUE(MyHelper::cutImageForSize(QImage(), 4, 4, "H").isNull());
    EXPECT_TRUE(MyHelper::cutImageForSize(rows, 0, 4, "W").isNull());
    EXPECT_TRUE(MyHelper::cutImageForSize(rows, 4, -1, "H").isNull());
    EXPECT_TRUE(MyHelper::cutImageForSize(rows, 1, INT_MAX, "W").isNull());  // absurd canvas
}

TEST(MyHelperImages, NonSquareCropPlacesFromTheBottomLeft)
{
    // 100x50, top half red, bottom half blue, cut for a 40x20 target with
    // type "H": source x 40, canvas 50x25, the source rectangle is the lower
    // 25 rows and the picture lands in the lowest 20 rows and leftmost 40
    // columns of the canvas. The rest of the canvas stays black.
    QImage picture(100, 50, QImage::Format_RGB32);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            picture.setPixel(x, y, y < 25 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    const QImage cut = MyHelper::cutImageForSize(picture, 40, 20, "H");
    ASSERT_EQ(cut.size(), QSize(50, 25));
    const QRgb black = qRgb(0, 0, 0);
    for (int x : {0, 20, 45})
        EXPECT_EQ(cut.pixel(x, 4), black) << "top rows, column " << x;
    for (int y : {5, 15, 24}) {
        EXPECT_TRUE(isBlue(cut.pixel(0, y))) << "row " << y;
        EXPECT_TRUE(isBlue(cut.pixel(39, y))) << "row " << y;
        EXPECT_EQ(cut.pixel(40, y), black) << "right columns, row " << y;
    }
}

TEST(MyHelperImages, ScaleDrawsTheWholePictureIntoExactlyTheSize)
{
    // Quadrants red | green over blue | white, stretched to another aspect:
    // every corner keeps its quadrant's colour.
    QImage quadrants(100, 50, QImage::Format_RGB32);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            quadrants.setPixel(x, y, y < 25 ? (x < 50 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                            : (x < 50 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    const QImage scaled = MyHelper::suchAsScalingImage(quadrants, 30, 40);
    ASSERT_EQ(scaled.size(), QSize(30, 40));
    EXPECT_TRUE(isRed(scaled.pixel(0, 0)));
    EXPECT_TRUE(isGreen(scaled.pixel(29, 0)));
    EXPECT_TRUE(isBlue(scaled.pixel(0, 39)));
    EXPECT_EQ(scaled.pixel(29, 39), qRgb(255, 255, 255));

    EXPECT_TRUE(MyHelper::suchAsScalingImage(QImage(), 10, 10).isNull());
    EXPECT_TRUE(MyHelper::suchAsScalingImage(quadrants, 0, 10).isNull());
    EXPECT_TRUE(MyHelper::suchAsScalingImage(quadrants, 10, -3).isNull());
}

TEST(MyHelperImages, TransparencyComesOutBlack)
{
    TempDir dir;
    // Left half fully transparent, right half half-transparent white.
    QImage picture(200, 100, QImage::Format_ARGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            picture.setPixel(x, y, x < 100 ? qRgba(0, 0, 0, 0) : qRgba(255, 255, 255, 128));
    const QString path = savePicture(dir, "alpha.png", picture);

    const QImage thumb = MyHelper::getIOS7thumbnails(path, 98);
    ASSERT_EQ(thumb.size(), QSize(98, 49));
    EXPECT_FALSE(thumb.hasAlphaChannel());
    EXPECT_EQ(thumb.pixel(10, 20), qRgb(0, 0, 0));
    const QRgb grey = thumb.pixel(90, 20);
    EXPECT_NEAR(qRed(grey), 128, 2);
    EXPECT_EQ(qRed(grey), qGreen(grey));

    const QImage cover = MyHelper::getAlbumCoverImage(path, 54);  // centre square spans both halves
    ASSERT_EQ(cover.size(), QSize(54, 54));
    EXPECT_EQ(cover.pixel(2, 27), qRgb(0, 0, 0));
    EXPECT_NEAR(qRed(cover.pixel(51, 27)), 128, 2);
}

TEST(MyHelperImages, FilesThatDoNotDecodeGiveNull)
{
    TempDir dir;
    writeFile(dir.file("text.jpg"), "this is not a picture");
    writeFile(dir.file("empty.png"), "");
    writeFile(dir.file("truncated.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    QDir().mkpath(dir.file("folder.jpg"));
    const QString good = savePicture(dir, "good.png", solid(20, 10, qRgb(1, 2, 3)));

    for (const QString &path : {dir.file("text.jpg"), dir.file("empty.png"), dir.file("truncated.png"),
                                dir.file("folder.jpg"), dir.file("missing.jpg"), QString()}) {
        EXPECT_TRUE(MyHelper::getIOS7thumbnails(path, 98).isNull()) << path.toStdString();
        EXPECT_TRUE(MyHelper::scalingImage(path, 98).isNull()) << path.toStdString();
        EXPECT_TRUE(MyHelper::getAlbumCoverImage(path, 54).isNull()) << path.toStdString();
    }
    // A good picture with a length that is not positive.
    EXPECT_TRUE(MyHelper::getIOS7thumbnails(good, 0).isNull());
    EXPECT_TRUE(MyHelper::getAlbumCoverImage(good, -1).isNull());
    // The content decides the format, not the name.
    const QString misnamed = dir.file("really-png.jpg");
    ASSERT_TRUE(QFile::copy(good, misnamed));
    EXPECT_EQ(MyHelper::getIOS7thumbnails(misnamed, 98).size(), QSize(98, 49));
}

// ---- 16-bit pixels ---------------------------------------------------------

TEST(MyHelperAirlock, KnownColours)
{
    const struct {
        const char *name;
        QRgb argb;  // straight (not premultiplied) alpha
        quint16 argb1555;
        quint16 rgb565;
    } cases[] = {
        {"white", 0xFFFFFFFF, 0xFFFF, 0xFFFF},
        {"black", 0xFF000000, 0x8000, 0x0000},
        {"red", 0xFFFF0000, 0xFC00, 0xF800},
        {"green", 0xFF00FF00, 0x83E0, 0x07E0},
        {"blue", 0xFF0000FF, 0x801F, 0x001F},
        {"grey 0x80", 0xFF808080, 0xC210, 0x8410},
        {"dark 07/03/07 (rounds, not shifts)", 0xFF070307, 0x8401, 0x0821},
        {"transparent black", 0x00000000, 0x0000, 0x0000},
        {"half-transparent red (alpha 128)", 0x80FF0000, 0xC000, 0x8000},
        {"white at alpha 127", 0x7FFFFFFF, 0x3DEF, 0x7BEF},
    };
    for (const auto &c : cases) {
        const QImage pixel = solid(1, 1, c.argb, QImage::Format_ARGB32);
        const QByteArray a = MyHelper::convetToAirlockData(pixel, "Format16bppRgb555");
        const QByteArray b = MyHelper::convetToAirlockData(pixel, "Format16bppRgb565");
        ASSERT_EQ(a.size(), 2) << c.name;
        ASSERT_EQ(b.size(), 2) << c.name;
        EXPECT_EQ(wordAt(a, 0), c.argb1555) << c.name;
        EXPECT_EQ(wordAt(b, 0), c.rgb565) << c.name;
    }
}

TEST(MyHelperAirlock, LayoutIsLittleEndianRowsFromTheTop)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    const QRgb colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0x00000000};
    for (int k = 0; k < 6; ++k)
        image.setPixel(k % 3, k / 3, colours[k]);

    EXPECT_EQ(MyHelper::convetToAirlockData(image, "Format16bppRgb555").toHex(),
              QByteArray("00fce0831f80ffff00800000"));
    const QByteArray rgb565 = QByteArray("00f8e0071f00ffff00000000");
    for (const char *other : {"Format16bppRgb565", "", "format16bppRgb555"})
        EXPECT_EQ(MyHelper::convetToAirlockData(image, other).toHex(), rgb565) << other;

    // Other source formats go through the same 32-bit rendering.
    const QImage grey = solid(5, 3, qRgb(0x80, 0x80, 0x80)).convertToFormat(QImage::Format_Grayscale8);
    const QByteArray bytes = MyHelper::convetToAirlockData(grey, "Format16bppRgb555");
    ASSERT_EQ(bytes.size(), 5 * 3 * 2);
    EXPECT_EQ(wordAt(bytes, 14), 0xC210);

    EXPECT_TRUE(MyHelper::convetToAirlockData(QImage(), "Format16bppRgb555").isNull());
}
