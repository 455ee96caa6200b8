// The simulated device and its file service: values, sessions, confinement
// of device paths, and injected faults.

#include "MobileDeviceStatus.h"
#include "PropertyList.h"
#include "SimulatedDevice.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace MobileDeviceStatus;

namespace {

class SimulatedDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedDevice> make(bool locked = false, QStringList services = {"com.apple.afc"})
    {
        const QVariantMap plist{
            {"Values", QVariantMap{{"DeviceName", "Test iPhone"}, {"ProductVersion", "8.3"},
                                   {"SerialNumber", "C8QH1234"}}},
            {"Domains", QVariantMap{{"com.apple.disk_usage", QVariantMap{{"TotalDiskCapacity", 16000000000LL}}}}},
            {"PasscodeLocked", locked},
            {"InterfaceType", 1},
            {"Services", services}};
        QDir().mkpath(deviceDir());
        EXPECT_TRUE(PropertyList::writeFile(deviceDir() + "/device.plist", plist, PropertyList::Format::Xml));
        QDir().mkpath(deviceDir() + "/Media/DCIM");
        auto d = SimulatedDevice::open(deviceDir());
        EXPECT_TRUE(d);
        return d;
    }
    QString deviceDir() const { return dir.file("device"); }
    std::shared_ptr<AfcConnection> media(const std::shared_ptr<SimulatedDevice> &d)
    {
        EXPECT_EQ(d->connect(), kSuccess);
        EXPECT_EQ(d->startSession(), kSuccess);
        std::shared_ptr<AfcConnection> afc;
        EXPECT_EQ(d->startFileService("com.apple.afc", &afc), kSuccess);
        return afc;
    }
    static void put(const std::shared_ptr<AfcConnection> &afc, const QString &path, const QByteArray &data)
    {
        std::uint64_t ref = 0;
        ASSERT_EQ(afc->fileOpen(path, AfcConnection::WriteOnly, &ref), kSuccess) << path.toStdString();
        ASSERT_EQ(afc->fileWrite(ref, data.constData(), std::uint32_t(data.size())), kSuccess);
        ASSERT_EQ(afc->fileClose(ref), kSuccess);
    }
    TempDir dir;
};

TEST_F(SimulatedDeviceTest, ValuesSessionsAndServices)
{
    auto d = make();
    EXPECT_EQ(d->copyValue("", "DeviceName").toString(), "Test iPhone");
    EXPECT_EQ(d->copyValue("com.apple.disk_usage", "TotalDiskCapacity").toLongLong(), 16000000000LL);
    EXPECT_FALSE(d->copyValue("", "Missing").isValid());
    EXPECT_FALSE(d->copyValue("com.apple.none", "").isValid());
    EXPECT_EQ(d->copyValue("", "").toMap().value("SerialNumber").toString(), "C8QH1234");

    std::shared_ptr<AfcConnection> afc;
    EXPECT_EQ(d->startFileService("com.apple.afc", &afc), kNotConnected) << "no session yet";
    auto media = this->media(d);
    ASSERT_TRUE(media);
    EXPECT_EQ(d->startFileService("com.apple.afc2", &afc), kServiceNotFound) << "not jailbroken";
    EXPECT_FALSE(afc);
}

TEST_F(SimulatedDeviceTest, LockedDeviceFailsItsSessions)
{
    auto d = make(true);
    EXPECT_EQ(d->connect(), kSuccess);
    EXPECT_EQ(d->startSession(), kPasscodeLocked);
    std::shared_ptr<AfcConnection> afc;
    EXPECT_EQ(d->startFileService("com.apple.afc", &afc), kNotConnected);
}

TEST_F(SimulatedDeviceTest, JailbrokenRootServesTheDeviceFolder)
{
    auto d = make(false, {"com.apple.afc", "com.apple.afc2"});
    media(d);
    std::shared_ptr<AfcConnection> root;
    ASSERT_EQ(d->startFileService("com.apple.afc2", &root), kSuccess);
    QMap<QString, QString> info;
    EXPECT_EQ(root->fileInfo("/Media/DCIM", &info), kSuccess);
    EXPECT_EQ(info.value("st_ifmt"), "S_IFDIR");
}

TEST_F(SimulatedDeviceTest, FilesAndListings)
{
    auto afc = media(make());
    put(afc, "/DCIM/IMG_0001.JPG", QByteArray(25000, 'j'));
    QMap<QString, QString> info;
    ASSERT_EQ(afc->fileInfo("DCIM/IMG_0001.JPG", &info), kSuccess);
    EXPECT_EQ(info.value("st_size"), "25000");
    EXPECT_EQ(info.value("st_ifmt"), "S_IFREG");
    EXPECT_GT(info.value("st_mtime").toLongLong(), 1000000000LL * 1000000000LL);

    QStringList names;
    ASSERT_EQ(afc->readDirectory("/DCIM", &names), kSuccess);
    EXPECT_EQ(names, QStringList({".", "..", "IMG_0001.JPG"}));
    EXPECT_EQ(afc->readDirectory("/DCIM/IMG_0001.JPG", &names), kAfcNotDirectory);
    EXPECT_EQ(afc->readDirectory("/Nowhere", &names), kAfcObjectNotFound);

    std::uint64_t ref = 0;
    ASSERT_EQ(afc->fileOpen("/DCIM/IMG_0001.JPG", AfcConnection::ReadOnly, &ref), kSuccess);
    QByteArray back;
    char buffer[10240];
    for (;;) {
        std::uint32_t n = sizeof buffer;
        ASSERT_EQ(afc->fileRead(ref, buffer, &n), kSuccess);
        if (n == 0)
            break;
        back.append(buffer, n);
    }
    EXPECT_EQ(back, QByteArray(25000, 'j'));
    EXPECT_EQ(afc->fileClose(ref), kSuccess);
    EXPECT_EQ(afc->fileClose(ref), kAfcInvalidArgument);

    EXPECT_EQ(afc->makeDirectory("/Photos/Sync"), kSuccess);
    EXPECT_EQ(afc->renamePath("/DCIM/IMG_0001.JPG", "/Photos/Sync/x.JPG"), kSuccess);
    EXPECT_EQ(afc->removePath("/Photos"), kAfcObjectExists) << "a folder with contents stays";
    EXPECT_EQ(afc->removePath("/Photos/Sync/x.JPG"), kSuccess);
    EXPECT_EQ(afc->removePath("/Photos/Sync/x.JPG"), kAfcObjectNotFound);
}

TEST_F(SimulatedDeviceTest, PathsNeverLeaveTheRoot)
{
    auto afc = media(make());
    // Something outside the media root that an escape would reach.
    const QString outside = dir.file("outside");
    QDir().mkpath(outside);
    QFile secret(outside + "/secret.txt");
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
    secret.close();
    ASSERT_TRUE(QFile::link(outside, deviceDir() + "/Media/link-out"));
    ASSERT_TRUE(QFile::link(outside + "/nothing-yet", deviceDir() + "/Media/dangling"));
    ASSERT_TRUE(QFile::link(deviceDir() + "/Media/DCIM", deviceDir() + "/Media/link-in"));

    const char *escapes[] = {"../outside/secret.txt", "/../../outside/secret.txt", "DCIM/../../outside/secret.txt",
                             "link-out/secret.txt", "link-out/new.txt", "dangling/x"};
    for (const char *path : escapes) {
        QMap<QString, QString> info;
        EXPECT_EQ(afc->fileInfo(path, &info), kAfcObjectNotFound) << path;
        std::uint64_t ref = 0;
        EXPECT_EQ(afc->fileOpen(path, AfcConnection::WriteOnly, &ref), kAfcObjectNotFound) << path;
        EXPECT_EQ(afc->removePath(path), kAfcObjectNotFound) << path;
        EXPECT_EQ(afc->makeDirectory(QString(path) + "/sub"), kAfcObjectNotFound) << path;
    }
    // Links that lead outside (or nowhere) are described and removed as
    // themselves, never followed.
    for (const char *link : {"link-out", "dangling"}) {
        QMap<QString, QString> info;
        EXPECT_EQ(afc->fileInfo(link, &info), kSuccess) << link;
        EXPECT_EQ(info.value("st_ifmt"), "S_IFLNK") << link;
        std::uint64_t ref = 0;
        EXPECT_EQ(afc->fileOpen(link, AfcConnection::WriteOnly, &ref), kAfcObjectNotFound) << link;
        QStringList entries;
        EXPECT_EQ(afc->readDirectory(link, &entries), kAfcNotDirectory) << link;
    }
    EXPECT_EQ(afc->removePath("link-out"), kSuccess);
    EXPECT_FALSE(QFileInfo(deviceDir() + "/Media/link-out").isSymLink());
    EXPECT_TRUE(QFileInfo(outside).isDir()) << "removing the link leaves its target";
    EXPECT_EQ(afc->linkPath(2, "../../outside", "/evil"), kAfcObjectNotFound);
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList({"secret.txt"})) << "nothing created outside";
    EXPECT_TRUE(QFile::exists(outside + "/secret.txt"));

    // Absolute paths are the device's own: they stay under the root.
    QMap<QString, QString> info;
    EXPECT_EQ(afc->fileInfo("/etc/passwd", &info), kAfcObjectNotFound);
    // A link that stays inside is followed.
    put(afc, "/DCIM/a.JPG", "abc");
    EXPECT_EQ(afc->fileInfo("link-in/a.JPG", &info), kSuccess);
}

TEST_F(SimulatedDeviceTest, InjectedFaults)
{
    auto d = make();
    auto afc = media(d);
    put(afc, "/DCIM/big.bin", QByteArray(30000, 'b'));

    // Reads and writes that fail.
    std::uint64_t ref = 0;
    ASSERT_EQ(afc->fileOpen("/DCIM/big.bin", AfcConnection::ReadOnly, &ref), kSuccess);
    d->faults()->failReads = true;
    char buffer[10240];
    std::uint32_t n = sizeof buffer;
    EXPECT_EQ(afc->fileRead(ref, buffer, &n), kAfcIoError);
    EXPECT_EQ(n, 0u);
    d->faults()->failReads = false;
    afc->fileClose(ref);

    // A full disk: writes fail once the budget is spent, whole writes only.
    d->faults()->writeBudget = 15000;
    ASSERT_EQ(afc->fileOpen("/DCIM/out.bin", AfcConnection::WriteOnly, &ref), kSuccess);
    EXPECT_EQ(afc->fileWrite(ref, buffer, 10240), kSuccess);
    EXPECT_EQ(afc->fileWrite(ref, buffer, 10240), kAfcNoSpace);
    afc->fileClose(ref);
    d->faults()->writeBudget = -1;

    // The device leaves after N bytes: the read that crosses the mark still
    // answers, every later call fails, the device too.
    d->faults()->detachAfterBytes = d->faults()->bytesTransferred + 15000;
    ASSERT_EQ(afc->fileOpen("/DCIM/big.bin", AfcConnection::ReadOnly, &ref), kSuccess);
    n = sizeof buffer;
    EXPECT_EQ(afc->fileRead(ref, buffer, &n), kSuccess);
    n = sizeof buffer;
    EXPECT_EQ(afc->fileRead(ref, buffer, &n), kSuccess);
    n = sizeof buffer;
    EXPECT_EQ(afc->fileRead(ref, buffer, &n), kAfcNotConnected);
    QMap<QString, QString> info;
    EXPECT_EQ(afc->fileInfo("/DCIM", &info), kAfcNotConnected);
    EXPECT_TRUE(d->isDetached());
    EXPECT_EQ(d->startSession(), kDeviceGone);
    EXPECT_FALSE(d->copyValue("", "DeviceName").isValid());
}

TEST(SimulatedDeviceOpen, FolderWithoutDevicePlistIsRefused)
{
    TempDir dir;
    QString error;
    EXPECT_FALSE(SimulatedDevice::open(dir.path(), &error));
    EXPECT_TRUE(error.contains("device.plist"));
}

} // namespace

#include "SimulatedDeviceHub.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

// Runs the event loop until `done` holds or two seconds pass.
template <typename Pred>
bool spinUntil(Pred done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QString makeDeviceFolder(const TempDir &dir, const QString &name)
{
    const QString folder = dir.file(name);
    QDir().mkpath(folder + "/Media");
    EXPECT_TRUE(PropertyList::writeFile(folder + "/device.plist",
                                        QVariantMap{{"Values", QVariantMap{{"SerialNumber", name}}}},
                                        PropertyList::Format::Xml));
    return folder;
}

TEST(SimulatedDeviceHub, EventsArriveOnTheSubscribingThreadWithReplay)
{
    TempDir dir;
    auto &hub = SimulatedDeviceHub::instance();
    auto first = hub.attach(makeDeviceFolder(dir, "FIRST"));
    ASSERT_TRUE(first);

    struct Event {
        QString serial;
        int message;
        QThread *thread;
    };
    std::vector<Event> events;
    const auto sub = hub.subscribe([&](const std::shared_ptr<BackendDevice> &d, DeviceBackend::Message m) {
        // The folder names the device (a detached device answers no values).
        const auto simulated = std::dynamic_pointer_cast<SimulatedDevice>(d);
        events.push_back({simulated ? QFileInfo(simulated->folder()).fileName() : QString(), m,
                          QThread::currentThread()});
    });
    EXPECT_TRUE(events.empty()) << "delivery is queued, never inside subscribe";

    // Attach and detach from another thread: delivery still happens here.
    std::shared_ptr<SimulatedDevice> second;
    std::thread other([&] {
        second = hub.attach(makeDeviceFolder(dir, "SECOND"));
        hub.detach(first);
    });
    other.join();
    ASSERT_TRUE(spinUntil([&] { return events.size() >= 3; }));
    EXPECT_EQ(events[0].serial, "FIRST");
    EXPECT_EQ(events[0].message, SimulatedDeviceHub::Attached); // replayed
    EXPECT_EQ(events[1].serial, "SECOND");
    EXPECT_EQ(events[2].serial, "FIRST");
    EXPECT_EQ(events[2].message, SimulatedDeviceHub::Detached);
    for (const Event &e : events)
        EXPECT_EQ(e.thread, QThread::currentThread());
    EXPECT_TRUE(first->isDetached());

    // Nothing reaches a subscription after it ended, even when queued.
    hub.detach(second);
    hub.unsubscribe(sub);
    spinUntil([] { return false; });
    EXPECT_EQ(events.size(), 3u);
    EXPECT_TRUE(hub.attachedDevices().isEmpty());
}

} // namespace

#include "MobileDevice.h"

namespace {

// The call set over the simulated backend, as the device services use it.
TEST(MobileDeviceCalls, DispatchToTheInstalledBackend)
{
    TempDir dir;
    auto &hub = SimulatedDeviceHub::instance();
    MobileDevice::setBackend(&hub);

    struct Seen {
        std::vector<std::pair<AMDeviceRef, int>> events;
    } seen;
    AMDeviceNotificationRef sub = 0;
    ASSERT_EQ(AMDeviceNotificationSubscribe(
                  [](const AMDeviceNotificationInfo &info, void *context) {
                      static_cast<Seen *>(context)->events.emplace_back(info.device, info.message);
                  },
                  0, 0, &seen, &sub),
              kSuccess);
    auto device = hub.attach(makeDeviceFolder(dir, "CALLS"));
    ASSERT_TRUE(spinUntil([&] { return !seen.events.empty(); }));
    const AMDeviceRef d = seen.events.front().first;
    EXPECT_EQ(seen.events.front().second, 1);

    EXPECT_EQ(AMDeviceConnect(d), kSuccess);
    EXPECT_EQ(AMDeviceStartSession(d), kSuccess);
    EXPECT_EQ(AMDeviceCopyValue(d, "", "SerialNumber").toString(), "CALLS");
    AMServiceRef service;
    ASSERT_EQ(AMDeviceStartService(d, "com.apple.afc", &service), kSuccess);
    AFCConnectionRef afc;
    ASSERT_EQ(AFCConnectionOpen(service, 0, &afc), kSuccess);
    std::uint64_t ref = 0;
    ASSERT_EQ(AFCFileRefOpen(afc, "/hello.txt", AfcConnection::WriteOnly, &ref), kSuccess);
    EXPECT_EQ(AFCFileRefWrite(afc, ref, "hi", 2), kSuccess);
    EXPECT_EQ(AFCFileRefClose(afc, ref), kSuccess);
    QMap<QString, QString> info;
    EXPECT_EQ(AFCFileInfoOpen(afc, "/hello.txt", &info), kSuccess);
    EXPECT_EQ(info.value("st_size"), "2");
    EXPECT_EQ(AMDeviceStartService(d, "com.apple.afc2", &service), kServiceNotFound);

    hub.detach(device);
    ASSERT_TRUE(spinUntil([&] { return seen.events.size() == 2; }));
    EXPECT_EQ(seen.events.back().second, 2);
    EXPECT_EQ(AFCFileInfoOpen(afc, "/hello.txt", &info), kAfcNotConnected);
    EXPECT_EQ(AMDeviceStartSession(d), kDeviceGone);
    EXPECT_EQ(AFCConnectionClose(afc), kSuccess);
    EXPECT_EQ(AFCFileInfoOpen(afc, "/hello.txt", &info), kAfcNotConnected);
    EXPECT_EQ(AMDeviceConnect(nullptr), kDeviceGone);

    EXPECT_EQ(AMDeviceNotificationUnsubscribe(sub), kSuccess);
    MobileDevice::setBackend(nullptr);
    EXPECT_NE(AMDeviceNotificationSubscribe([](const AMDeviceNotificationInfo &, void *) {}, 0, 0, nullptr, &sub),
              kSuccess);
}

} // namespace
