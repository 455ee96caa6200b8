// File access and copies on a simulated device.

#include "AFCDirectoryAccess.h"
#include "HandsetGate.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "SimulatedDeviceHub.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

struct Step {
    QString state;
    qint64 cur, total, size;
};

// Records the copy notifications a connection posts.
struct CopySpy {
    explicit CopySpy(const void *sender)
    {
        for (const QString &name :
             {AFCDirectoryAccess::kCopyBegin, AFCDirectoryAccess::kCopyProgress, AFCDirectoryAccess::kCopyDone})
            NotificationCenter::defaultCenter().addObserver(this, name, sender, [this](const Notification &n) {
                steps.push_back({n.userInfo.value("CurState").toString(), n.userInfo.value("CurCopiedSize").toLongLong(),
                                 n.userInfo.value("TotalCopiedSize").toLongLong(),
                                 n.userInfo.value("FileSize").toLongLong()});
            });
    }
    ~CopySpy() { NotificationCenter::defaultCenter().removeObserver(this); }
    std::vector<Step> steps;
};

class AFCDirectoryAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MobileDevice::setBackend(&SimulatedDeviceHub::instance());
        const QString folder = dir.file("device");
        QDir().mkpath(folder + "/Media/DCIM/100APPLE");
        ASSERT_TRUE(PropertyList::writeFile(folder + "/device.plist",
                                            QVariantMap{{"Values", QVariantMap{{"SerialNumber", "AFC1"}}}},
                                            PropertyList::Format::Xml));
        sim = SimulatedDeviceHub::instance().attach(folder);
        device = AMDevice::deviceFrom(sim);
        ASSERT_TRUE(device);
        afc = AFCMediaDirectory::open(device);
        ASSERT_TRUE(afc);
    }
    void TearDown() override
    {
        afc.reset();
        SimulatedDeviceHub::instance().detach(sim);
        MobileDevice::setBackend(nullptr);
    }
    QString local(const QString &name, const QByteArray &content)
    {
        QFile f(dir.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    }
    TempDir dir;
    std::shared_ptr<SimulatedDevice> sim;
    std::shared_ptr<AMDevice> device;
    std::unique_ptr<AFCDirectoryAccess> afc;
};

TEST_F(AFCDirectoryAccessTest, UploadPostsOneProgressPerStep)
{
    CopySpy spy(afc.get());
    ASSERT_TRUE(afc->copyLocalFileToRemoteFile(local("a.bin", QByteArray(25000, 'a')), "/DCIM/a.bin"));
    std::vector<std::tuple<QString, qint64, qint64>> got;
    for (const Step &s : spy.steps)
        got.emplace_back(s.state, s.cur, s.total);
    const std::vector<std::tuple<QString, qint64, qint64>> want{
        {"AFCFileCopyBegin", 0, 0},          {"AFCFileCopyProgress", 10240, 10240},
        {"AFCFileCopyProgress", 10240, 20480}, {"AFCFileCopyProgress", 4520, 25000},
        {"AFCFileCopyDone", 0, 25000}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(spy.steps.front().size, 25000);
    EXPECT_EQ(afc->getFileInfo("/DCIM/a.bin").toMap().value("st_size").toLongLong(), 25000);

    // An existing target: refused, nothing posted.
    spy.steps.clear();
    EXPECT_FALSE(afc->copyLocalFileToRemoteFile(local("b.bin", "new"), "/DCIM/a.bin"));
    EXPECT_EQ(afc->lasterror(), "Won't overwrite existing file");
    EXPECT_TRUE(spy.steps.empty());

    // An empty file: begin and done only.
    ASSERT_TRUE(afc->copyLocalFileToRemoteFile(local("empty.bin", ""), "/DCIM/empty.bin"));
    ASSERT_EQ(spy.steps.size(), 2u);
    EXPECT_EQ(spy.steps[0].state, "AFCFileCopyBegin");
    EXPECT_EQ(spy.steps[1].state, "AFCFileCopyDone");
    EXPECT_EQ(spy.steps[1].total, 0);
}

TEST_F(AFCDirectoryAccessTest, DownloadsWithAndWithoutProgress)
{
    const QByteArray content(3 * 1024 * 1024 + 17, 'p');
    ASSERT_TRUE(afc->copyDataToFiel(content, "/DCIM/100APPLE/IMG_0001.JPG"));
    CopySpy spy(afc.get());
    ASSERT_TRUE(afc->copyRemoteFileToLocalFile("/DCIM/100APPLE/IMG_0001.JPG", dir.file("progress.jpg")));
    EXPECT_EQ(spy.steps.back().state, "AFCFileCopyDone");
    EXPECT_EQ(spy.steps.back().total, content.size());
    spy.steps.clear();
    ASSERT_TRUE(afc->copyRemoteFile1ToLocalFile("/DCIM/100APPLE/IMG_0001.JPG", dir.file("bulk.jpg")));
    EXPECT_TRUE(spy.steps.empty());
    for (const char *name : {"progress.jpg", "bulk.jpg"}) {
        QFile f(dir.file(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), content) << name;
    }
    EXPECT_FALSE(afc->copyRemoteFile1ToLocalFile("/DCIM/100APPLE/IMG_0001.JPG", dir.file("bulk.jpg")));
    EXPECT_EQ(afc->lasterror(), "Won't overwrite existing file");
}

TEST_F(AFCDirectoryAccessTest, DepartureMidwayFailsAndLeavesNoPartialFile)
{
    ASSERT_TRUE(afc->copyDataToFiel(QByteArray(100000, 'd'), "/DCIM/big.bin"));
    sim->faults()->detachAfterBytes = sim->faults()->bytesTransferred + 30000;
    CopySpy spy(afc.get());
    EXPECT_FALSE(afc->copyRemoteFileToLocalFile("/DCIM/big.bin", dir.file("big.bin")));
    EXPECT_FALSE(QFile::exists(dir.file("big.bin")));
    EXPECT_FALSE(afc->lasterror().isEmpty());
    ASSERT_FALSE(spy.steps.empty());
    EXPECT_EQ(spy.steps.back().state, "AFCFileCopyDone");
    EXPECT_GT(spy.steps.back().total, 0);
    EXPECT_LT(spy.steps.back().total, 100000);
}

TEST_F(AFCDirectoryAccessTest, UploadOntoAFullDiskFails)
{
    sim->faults()->writeBudget = 15000;
    CopySpy spy(afc.get());
    EXPECT_FALSE(afc->copyLocalFileToRemoteFile(local("c.bin", QByteArray(25000, 'c')), "/DCIM/c.bin"));
    EXPECT_EQ(spy.steps.back().state, "AFCFileCopyDone");
    EXPECT_EQ(spy.steps.back().total, 10240);
    EXPECT_TRUE(afc->lasterror().startsWith("AFCFileRefWrite failed"));
}

TEST_F(AFCDirectoryAccessTest, ListingsAndKeyValues)
{
    ASSERT_TRUE(afc->copyDataToFiel("x", "/DCIM/100APPLE/IMG_0002.JPG"));
    ASSERT_TRUE(afc->mkdir("/DCIM/100APPLE/sub"));
    ASSERT_TRUE(afc->copyDataToFiel("yy", "/DCIM/100APPLE/sub/z.THM"));

    const QStringList all = afc->recursiveDirectoryContents("/DCIM").toStringList();
    EXPECT_EQ(all, QStringList({"/DCIM/", "/DCIM/100APPLE/", "/DCIM/100APPLE/IMG_0002.JPG", "/DCIM/100APPLE/sub/",
                                "/DCIM/100APPLE/sub/z.THM"}));
    const auto one = afc->getItemInDirectory("/DCIM/100APPLE/IMG_0002.JPG");
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].FileType, 1u);
    EXPECT_EQ(one[0].FileSize, 1);
    EXPECT_EQ(one[0].Name, "IMG_0002.JPG");
    const auto children = afc->getItemInDirWithoutRootDir("/DCIM/100APPLE");
    ASSERT_EQ(children.size(), 2);
    EXPECT_EQ(children[1].FileType, 2u);
    EXPECT_EQ(afc->directoryContents("/DCIM/100APPLE").toStringList(), QStringList({"IMG_0002.JPG", "sub"}));

    EXPECT_TRUE(afc->unlinkFolder("/DCIM/100APPLE"));
    EXPECT_FALSE(afc->fileExistsAtPath("/DCIM/100APPLE"));

    const QVariantMap parsed = AFCDirectoryAccess::parseKeyValues({{"a", "123"}, {"b", "12a"}, {"c", ""}});
    EXPECT_EQ(parsed.value("a").typeId(), QMetaType::LongLong);
    EXPECT_EQ(parsed.value("a").toLongLong(), 123);
    EXPECT_EQ(parsed.value("b").toString(), "12a");
    EXPECT_EQ(parsed.value("c").typeId(), QMetaType::LongLong);
    EXPECT_EQ(parsed.value("c").toLongLong(), 0);
}

TEST_F(AFCDirectoryAccessTest, ClosedConnectionAndDetachedDevice)
{
    afc->close();
    EXPECT_FALSE(afc->getFileInfo("/DCIM").isValid());
    EXPECT_EQ(afc->lasterror(), "Connection is not open");
    EXPECT_FALSE(afc->mkdir(QString()));
    auto other = AFCMediaDirectory::open(device);
    ASSERT_TRUE(other);
    SimulatedDeviceHub::instance().detach(sim);
    EXPECT_FALSE(other->getFileInfo("/DCIM").isValid());
    EXPECT_TRUE(other->lasterror().startsWith("AFCFileInfoOpen failed: Return code = 0x"));
    EXPECT_FALSE(AFCMediaDirectory::open(device));
}

} // namespace

namespace {

TEST(AFCApplicationDirectory, VendsOnlyAnExistingContainer)
{
    TempDir dir;
    MobileDevice::setBackend(&SimulatedDeviceHub::instance());
    const QString folder = dir.file("device");
    QDir().mkpath(folder + "/Media");
    QDir().mkpath(folder + "/Applications/com.example.app/Documents");
    QDir().mkpath(folder + "/CrashReports");
    QFile(folder + "/CrashReports/app.crash").open(QIODevice::WriteOnly);
    ASSERT_TRUE(PropertyList::writeFile(
        folder + "/device.plist",
        QVariantMap{{"Values", QVariantMap{{"SerialNumber", "APPS"}}},
                    {"Services", QStringList{"com.apple.afc", "com.apple.mobile.house_arrest",
                                             "com.apple.crashreportcopymobile"}}},
        PropertyList::Format::Xml));
    auto sim = SimulatedDeviceHub::instance().attach(folder);
    auto device = AMDevice::deviceFrom(sim);
    ASSERT_TRUE(device);

    auto app = AFCApplicationDirectory::open(device, "com.example.app");
    ASSERT_TRUE(app);
    EXPECT_EQ(app->directoryContents("/").toStringList(), QStringList({"Documents"}));
    EXPECT_FALSE(AFCApplicationDirectory::open(device, "com.example.missing"));
    EXPECT_FALSE(AFCApplicationDirectory::open(device, ".."));
    EXPECT_FALSE(AFCApplicationDirectory::open(device, "../Media"));

    auto crashes = AFCCrashLogDirectory::open(device);
    ASSERT_TRUE(crashes);
    EXPECT_EQ(crashes->directoryContents("/").toStringList(), QStringList({"app.crash"}));
    SimulatedDeviceHub::instance().detach(sim);
    MobileDevice::setBackend(nullptr);
}

} // namespace

namespace {

TEST_F(AFCDirectoryAccessTest, TreeCopiesAndDepartureDuringAnUpload)
{
    // A computer folder tree with a link goes up as a tree.
    QDir().mkpath(dir.file("album/sub"));
    local("album/one.jpg", "1");
    local("album/sub/two.jpg", "22");
    ASSERT_TRUE(QFile::link("one.jpg", dir.file("album/link.jpg")));
    ASSERT_TRUE(afc->copyLocalFileToRemoteDir(dir.file("album"), "/DCIM"));
    EXPECT_EQ(afc->recursiveDirectoryContents("/DCIM/album").toStringList(),
              QStringList({"/DCIM/album/", "/DCIM/album/link.jpg", "/DCIM/album/one.jpg", "/DCIM/album/sub/",
                           "/DCIM/album/sub/two.jpg"}));
    // Device-side copies, within one connection and from another.
    ASSERT_TRUE(afc->copyFileToFile("/DCIM/album/sub/two.jpg", "/DCIM/two-copy.jpg"));
    EXPECT_EQ(afc->getFileInfo("/DCIM/two-copy.jpg").toMap().value("st_size").toLongLong(), 2);
    EXPECT_FALSE(afc->copyFileToFile("/DCIM/album/one.jpg", "/DCIM/two-copy.jpg"));
    auto other = AFCMediaDirectory::open(device);
    ASSERT_TRUE(other);
    ASSERT_TRUE(afc->recursiveCopyFile("/DCIM/album", *other, "/Backup"));
    EXPECT_TRUE(afc->fileExistsAtPath("/Backup/sub/two.jpg"));
    const auto dics = afc->recursiveDirectoryContentsDics("/Backup");
    ASSERT_EQ(dics.size(), 4);
    EXPECT_EQ(dics[0].FileType, 2u);

    // The device leaves in the middle of an upload: false, the done
    // notification still comes.
    sim->faults()->detachAfterBytes = sim->faults()->bytesTransferred + 15000;
    CopySpy spy(afc.get());
    EXPECT_FALSE(afc->copyLocalFileToRemoteFile(local("big.bin", QByteArray(50000, 'u')), "/DCIM/big.bin"));
    ASSERT_FALSE(spy.steps.empty());
    EXPECT_EQ(spy.steps.back().state, "AFCFileCopyDone");
    EXPECT_LT(spy.steps.back().total, 50000);
}

} // namespace

namespace {

TEST_F(AFCDirectoryAccessTest, RemoteFilePositionsLocksLinksAndTimes)
{
    ASSERT_TRUE(afc->copyDataToFiel("0123456789", "/DCIM/f.txt"));
    auto f = afc->openForReadWrite("/DCIM/f.txt");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->seek(-3, 2));
    EXPECT_EQ(f->tell(), 7);
    char buffer[8] = {};
    EXPECT_EQ(f->readN(8, buffer), 3);
    EXPECT_EQ(QByteArray(buffer, 3), "789");
    EXPECT_TRUE(f->setFileSize(4));
    EXPECT_TRUE(f->lock(3));
    EXPECT_TRUE(f->unLock());
    EXPECT_FALSE(f->seek(-1, 0));
    EXPECT_TRUE(f->closeFile());
    EXPECT_FALSE(f->seek(0, 0));
    EXPECT_EQ(f->lasterror(), "File is not open");
    EXPECT_EQ(afc->getFileInfo("/DCIM/f.txt").toMap().value("st_size").toLongLong(), 4);

    EXPECT_TRUE(afc->link("/DCIM/hard.txt", "/DCIM/f.txt"));
    EXPECT_EQ(afc->getFileInfo("/DCIM/hard.txt").toMap().value("st_ifmt").toString(), "S_IFREG");
    EXPECT_FALSE(afc->link("/DCIM/bad.txt", "../../outside"));
    const std::uint64_t when = 1400000000ULL * 1000000000ULL;
    EXPECT_TRUE(afc->setmodtime("/DCIM/f.txt", when));
    EXPECT_EQ(afc->getFileInfo("/DCIM/f.txt").toMap().value("st_mtime").toULongLong(), when);
    EXPECT_FALSE(afc->setmodtime("/DCIM/missing.txt", when));
    EXPECT_FALSE(HandsetGate::singleton().clientVersion().isEmpty());
}

} // namespace
