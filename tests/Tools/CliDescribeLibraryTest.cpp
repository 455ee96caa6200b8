// `snapvale-cli describe-library` on simulated devices.

#include "CliProcess.h"
#include "LibraryDescription.h"
#include "MyHelper.h"
#include "PhotoLibraryGenerator.h"
#include "PropertyList.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

CliResult describe(const QStringList &args)
{
    return runCli(SNAPVALE_CLI_PATH, QStringList{"describe-library"} + args);
}

class CliDescribeLibrary : public ::testing::Test {
protected:
    // A family-6 device whose library holds 5 synced pictures in 2 albums.
    void SetUp() override
    {
        QDir().mkpath(device() + "/Media/PhotoData");
        ASSERT_TRUE(PropertyList::writeFile(
            device() + "/device.plist",
            QVariantMap{{"Values", QVariantMap{{"ProductVersion", "6.1.3"}, {"SerialNumber", "DESCRIBE"}}}},
            PropertyList::Format::Xml));
        library = LibraryDescription::generated("6", 3, 5, 2, 2);
        ASSERT_TRUE(PhotoLibraryGenerator::write(library, device() + "/Media/PhotoData/Photos.sqlite"));
    }
    QString device() const { return dir.file("device"); }
    QVariantMap read(const QString &path) { return PropertyList::readFile(path).toMap(); }
    QStringList assetUuids(const QVariantMap &d)
    {
        QStringList uuids;
        for (const QVariant &u : d.value("updates").toList())
            if (u.toMap().value("itemType") == "Asset")
                uuids << u.toMap().value("uuid").toString();
        return uuids;
    }
    TempDir dir;
    LibraryDescription library;
};

TEST_F(CliDescribeLibrary, DescribesTheWholeSyncedLibraryAndAppliesDeletions)
{
    const QString out = dir.file("PhotoLibrary.plist");
    CliResult r = describe({"--simulate", device(), "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QVariantMap d = read(out);
    EXPECT_EQ(d.value("libraryUUID").toString(), library.libraryUuid);
    const QStringList all = assetUuids(d);
    EXPECT_EQ(all.size(), 5);

    // The first library picture (key 4: after three camera-roll pictures).
    const QString gone = MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(LibraryDescription::uuidBytes(4)));
    ASSERT_TRUE(all.contains(gone));
    const QString out2 = dir.file("deleted.plist");
    r = describe({"--simulate", device(), "-o", out2, "--delete-photo", "4"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList left = assetUuids(read(out2));
    EXPECT_EQ(left.size(), 4);
    EXPECT_FALSE(left.contains(gone));
}

TEST_F(CliDescribeLibrary, AnUnreadableLibraryGivesNoFile)
{
    const QString db = device() + "/Media/PhotoData/Photos.sqlite";
    for (const char *suffix : {"-wal", "-shm"})
        QFile::remove(db + suffix);
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, 'x'));
    }
    const QString out = dir.file("never.plist");
    CliResult r = describe({"--simulate", device(), "-o", out});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("could not be read")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    QFile::remove(db);
    r = describe({"--simulate", device(), "-o", out});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("no photo database")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    r = describe({"--simulate", dir.file("nowhere"), "-o", out});
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
