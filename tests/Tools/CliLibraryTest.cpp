// `snapvale-cli library` end to end, on databases from the generator.

#include "CliProcess.h"
#include "LibraryDescription.h"
#include "PhotoLibraryGenerator.h"
#include "TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

CliResult cli(const QStringList &args) { return runCli(SNAPVALE_CLI_PATH, args); }

QList<int> keys(const QJsonArray &list)
{
    QList<int> k;
    for (const auto &v : list)
        k << v.toObject()["key"].toInt();
    return k;
}

struct Version {
    const char *family;
    const char *ios;
};

class CliLibrary : public ::testing::TestWithParam<Version> {
protected:
    TempDir dir;
};

TEST_P(CliLibrary, ListsEveryCategoryNewestFirst)
{
    const Version v = GetParam();
    LibraryDescription d = LibraryDescription::generated(v.family, 6, 5, 3, 2, 7);
    // Two camera-roll pictures with one time keep their query order.
    d.assets[2].modified = d.assets[4].modified = 999999999;
    d.assets[0].fileName = QStringLiteral("Été ../x.JPG");
    const QString db = dir.file("Photos.sqlite");
    ASSERT_TRUE(PhotoLibraryGenerator::write(d, db));

    const CliResult r = cli({"library", db, "--ios-version", v.ios, "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    ASSERT_FALSE(root.isEmpty()) << r.out.toStdString();

    const QJsonArray roll = root["cameraRoll"].toArray();
    ASSERT_EQ(roll.size(), 6);
    EXPECT_EQ(keys(roll).mid(0, 2), QList<int>({3, 5}));
    for (qsizetype i = 1; i < roll.size(); ++i)
        EXPECT_GE(roll[i - 1].toObject()["modified"].toInt(), roll[i].toObject()["modified"].toInt());
    EXPECT_EQ(root["photoLibrary"].toArray().size(), 5);
    EXPECT_EQ(root["photoStream"].toArray().size(), 3);

    // The renamed picture, with its UUID as the family renders it.
    QJsonObject first;
    for (const auto &p : roll)
        if (p.toObject()["key"].toInt() == 1)
            first = p.toObject();
    EXPECT_EQ(first["name"].toString(), QStringLiteral("Été ../x.JPG"));
    EXPECT_EQ(first["uuid"].toString(), "5A3E9C1D-0000-0000-0000-000000000001");
    EXPECT_EQ(first["directory"].toString(), "DCIM/100APPLE");
    EXPECT_EQ(first["modifiedText"].toString().size(), 19);

    const QJsonArray albums = root["albums"].toArray();
    ASSERT_EQ(albums.size(), 2);
    for (const auto &a : albums) {
        const QJsonObject o = a.toObject();
        EXPECT_EQ(o["photos"].toArray().size(), o["count"].toInt()) << o["title"].toString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, CliLibrary,
                         ::testing::Values(Version{"5", "5.1.1"}, Version{"6", "6.1.3"}, Version{"7", "7.1.2"},
                                           Version{"8.0", "8.1.2"}, Version{"8.0", "8.4.1"},
                                           Version{"8.3", "8.3"}),
                         [](const auto &info) {
                             return "iOS" + QString(info.param.ios).remove('.').toStdString();
                         });

TEST(CliLibraryErrors, RefusesWhatItCannotRead)
{
    TempDir dir;
    const QString db = dir.file("Photos.sqlite");
    ASSERT_TRUE(PhotoLibraryGenerator::write(LibraryDescription::generated("6", 2, 2, 1, 1), db));
    const QString garbage = dir.file("notes.txt");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("these are not the pictures you are looking for\n");
    }
    struct Case {
        QStringList args;
        const char *message;
    } cases[] = {
        {{"library", db, "--ios-version", "4.3.5"}, "not supported"},
        {{"library", dir.file("absent.sqlite"), "--ios-version", "6.1"}, "no such file"},
        {{"library", garbage, "--ios-version", "6.1"}, "not an SQLite database"},
        {{"library", db, "--ios-version", "8.3"}, "has no table Z_17ASSETS"},
        {{"library", db}, "usage"},
    };
    for (const Case &c : cases) {
        const CliResult r = cli(c.args);
        EXPECT_NE(r.status, 0) << c.message;
        EXPECT_TRUE(r.out.isEmpty()) << c.message;
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.file("absent.sqlite"))) << "a missing database must not be created";
}

} // namespace
