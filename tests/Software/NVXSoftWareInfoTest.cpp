#include "AppFolders.h"
#include "NVXSoftWareInfo.h"
#include "PropertyList.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kSeed = QStringLiteral(":/seed/NVXSoftware-Info.plist");

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class SoftWareInfoTest : public ::testing::Test {
protected:
    QString settings() const { return dir.file("NVXSoftware-Info.plist"); }
    void writeSettings(const QVariantMap &map)
    {
        ASSERT_TRUE(PropertyList::writeFile(settings(), map, PropertyList::Format::Xml));
    }

    TempDir dir;
};

TEST_F(SoftWareInfoTest, FirstAccessSeedsTheFileAndKeepsTheDefaults)
{
    NVXSoftWareInfo info(settings(), kSeed, "1.0.0");
    EXPECT_EQ(contents(settings()), contents(kSeed));
    EXPECT_EQ(info.productName(), "Snapvale");
    EXPECT_EQ(info.getProductTitle(), "Snapvale");
    EXPECT_EQ(info.version(), "1.0.0");
    EXPECT_EQ(info.buildDate(), "20150416");
    EXPECT_FALSE(info.mustUpdate());
    EXPECT_TRUE(info.newversion().isNull());
    EXPECT_FALSE(info.isSupportWifi());
    EXPECT_EQ(info.iTunesVersion(), "11.3");
    // The seed is compiled in read-only; the copy must take a save.
    EXPECT_TRUE(info.save());
}

TEST_F(SoftWareInfoTest, ReadsItsKeysAndIgnoresValuesOfAnotherType)
{
    writeSettings({{"ProductName", "Other Name"}, {"MustUpdate", true}, {"NewVersion", "2.0"}});
    NVXSoftWareInfo info(settings(), kSeed, "1.0.0");
    EXPECT_EQ(info.getProductTitle(), "Other Name");
    EXPECT_TRUE(info.mustUpdate());
    EXPECT_EQ(info.newversion(), "2.0");

    writeSettings({{"ProductName", 5}, {"MustUpdate", "YES"}, {"NewVersion", 2}});
    NVXSoftWareInfo wrongTypes(settings(), kSeed, "1.0.0");
    EXPECT_EQ(wrongTypes.getProductTitle(), "Snapvale");
    EXPECT_FALSE(wrongTypes.mustUpdate());
    EXPECT_TRUE(wrongTypes.newversion().isNull());
}

TEST_F(SoftWareInfoTest, SaveRewritesTheWholeDictionaryKeepingUnknownKeys)
{
    const QVariantMap unknown = {{"Custom", QVariantMap{{"nested", 7}}},
                                 {"List", QVariantList{"a", 1.5}},
                                 {"Stamp", QByteArray("\x01\x02", 2)}};
    writeSettings(unknown);
    NVXSoftWareInfo info(settings(), kSeed, "1.0.0");

    // No new version known: only "MustUpdate" is added.
    ASSERT_TRUE(info.save());
    QVariantMap expected = unknown;
    expected.insert("MustUpdate", false);
    EXPECT_EQ(PropertyList::readFile(settings()).toMap(), expected);

    info.setMustUpdate(true);
    info.setNewversion("1.2.10");
    ASSERT_TRUE(info.save());
    expected.insert("MustUpdate", true);
    expected.insert("NewVersion", "1.2.10");
    EXPECT_EQ(PropertyList::readFile(settings()).toMap(), expected);
    EXPECT_TRUE(contents(settings()).startsWith("<?xml")) << "the settings file stays an XML property list";
}

TEST_F(SoftWareInfoTest, CheckMustUpdateComparesVersionsNumerically)
{
    const struct {
        const char *version;
        const char *newVersion; // nullptr: none announced
        bool mustUpdate;
        bool expected;
    } cases[] = {
        {"1.0.9", "1.0.10", true, true},   {"1.0.10", "1.0.10", true, false}, {"1.0.9", "", true, false},
        {"1.0.9", nullptr, true, false},   {"1.0.9", "1.0.10", false, false}, {"1.0.10", "1.0.9", true, false},
        {"1.9", "1.10", true, true},       {"2.0", "10.0", true, true},
    };
    for (const auto &c : cases) {
        NVXSoftWareInfo info(settings(), kSeed, c.version);
        if (c.newVersion)
            info.setNewversion(c.newVersion);
        info.setMustUpdate(c.mustUpdate);
        EXPECT_EQ(info.checkMustUpdate(), c.expected)
            << c.version << " -> " << (c.newVersion ? c.newVersion : "(none)") << " must=" << c.mustUpdate;
    }
}

TEST_F(SoftWareInfoTest, SettingsFileThatIsNoDictionaryCountsAsAbsentAndIsNeverOverwritten)
{
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"text", "ProductName=Other\n"},
        {"empty file", ""},
        {"truncated XML", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>MustUpdate</key><tr"},
        {"broken binary", "bplist00\x01\x02\x03"},
        {"array root", PropertyList::toXml(QVariantList{"ProductName", "Other"})},
        {"string root", PropertyList::toBinary(QString("Other"))},
    };
    for (const auto &c : cases) {
        writeBytes(settings(), c.bytes);
        NVXSoftWareInfo info(settings(), kSeed, "1.0.0");
        EXPECT_EQ(info.productName(), "Snapvale") << c.what;
        EXPECT_FALSE(info.mustUpdate()) << c.what;
        info.setMustUpdate(true);
        info.setNewversion("9.9");
        EXPECT_FALSE(info.save()) << c.what;
        EXPECT_EQ(contents(settings()), c.bytes) << c.what;
        EXPECT_TRUE(info.mustUpdate()) << c.what;
        EXPECT_EQ(info.newversion(), "9.9") << c.what;
    }
}

TEST_F(SoftWareInfoTest, UnwritableSettingsFolderFailsTheSaveAndKeepsTheValues)
{
    // A folder replaced by a regular file cannot be written by anybody, root
    // included.
    const QString folder = dir.file("Support");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/NVXSoftware-Info.plist";
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantMap{{"NewVersion", "1.1"}}, PropertyList::Format::Xml));
    NVXSoftWareInfo info(path, kSeed, "1.0.0");
    ASSERT_EQ(info.newversion(), "1.1");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    writeBytes(folder, "not a folder");

    info.setMustUpdate(true);
    info.setNewversion("1.2");
    EXPECT_FALSE(info.save());
    EXPECT_TRUE(info.mustUpdate());
    EXPECT_EQ(info.newversion(), "1.2");
    EXPECT_TRUE(info.checkMustUpdate());

    // Nothing can be seeded there either: the defaults hold.
    NVXSoftWareInfo unseeded(path, kSeed, "1.0.0");
    EXPECT_EQ(unseeded.productName(), "Snapvale");
    EXPECT_FALSE(unseeded.save());
}

TEST(SoftWareInfoLanguage, FirstPreferredLanguageAsALanguageCode)
{
    const struct {
        QStringList preferred;
        const char *code;
    } cases[] = {
        {{"de-DE", "en-US"}, "de"}, {{"fr"}, "fr"},    {{"zh-Hant-TW"}, "zh"}, {{"pt_BR"}, "pt"},
        {{"EN-gb"}, "en"},          {{"haw-US"}, "haw"}, {{}, "en"},           {{""}, "en"},
        {{"C"}, "en"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NVXSoftWareInfo::languageCode(c.preferred), c.code) << c.preferred.join(',').toStdString();
}

TEST(SoftWareInfoSingleton, UsesTheSupportFolderAndTheBuiltInVersion)
{
    NVXSoftWareInfo &info = NVXSoftWareInfo::singleton();
    EXPECT_EQ(info.settingsPath(), AppFolders::supportPath() + "/NVXSoftware-Info.plist");
    EXPECT_TRUE(QFileInfo(info.settingsPath()).isFile());
    EXPECT_EQ(info.version(), SNAPVALE_VERSION);
    EXPECT_FALSE(info.version().isEmpty());
}

} // namespace
