// The device registry, its records and their device information over
// simulated devices.

#include "DeviceEvents.h"
#include "MyHelper.h"
#include "NVXBaseInfo.h"
#include "NVXIpodPool.h"
#include "NotificationCenter.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct Heard {
    QStringList connected;     // uniqueKey of each "Device_Connected"
    QStringList disconnected;  // object of each "Device_DisConnected"
    QStringList passcode;      // object of each "Device_Need_Passcode"
};

class NVXIpodPoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MobileDevice::setBackend(&SimulatedDeviceHub::instance());
        auto &nc = NotificationCenter::defaultCenter();
        nc.addObserver(this, "Device_Connected", nullptr, [this](const Notification &n) {
            heard.connected << n.userInfo.value("DeviceInfo").value<NVXBaseInfo>().uniqueKey();
        });
        nc.addObserver(this, "Device_DisConnected", nullptr,
                       [this](const Notification &n) { heard.disconnected << n.value.toString(); });
        nc.addObserver(this, "Device_Need_Passcode", nullptr,
                       [this](const Notification &n) { heard.passcode << n.value.toString(); });
        pool().startListen();
    }
    void TearDown() override
    {
        detachAllSimulatedDevices();
        NotificationCenter::defaultCenter().removeObserver(this);
        pool().applicationWillTerminate();
        MobileDevice::setBackend(nullptr);
    }
    static NVXIpodPool &pool() { return NVXIpodPool::singleton(); }
    QString device(const QString &name, const QString &serial, bool locked = false,
                   const QString &productType = "iPhone7,2", const QStringList &services = {})
    {
        const QString folder = dir.file(name);
        EXPECT_TRUE(writeDeviceFolder(
            folder,
            {{"DeviceName", name + " phone"}, {"SerialNumber", serial}, {"ProductType", productType},
             {"ProductVersion", "8.3"}, {"UniqueDeviceID", "00112233445566778899aabbccddeeff00112233"}},
            {{"com.apple.disk_usage",
              QVariantMap{{"TotalDataAvailable", 10485760LL}, {"TotalDiskCapacity", 16000000000LL},
                          {"CalculateDiskUsage", "OkilyDokily"}}},
             {"com.apple.mobile.battery", QVariantMap{{"BatteryIsCharging", true}, {"BatteryCurrentCapacity", 77}}}},
            locked, services));
        return folder;
    }
    static QString sessionFolder(const QString &serial) { return MyHelper::getAppSupportPath() + "/Session/" + serial; }

    TempDir dir;
    Heard heard;
};

TEST_F(NVXIpodPoolTest, ArrivalRegistersOnceAndDepartureRemovesRecordAndFolder)
{
    EXPECT_EQ(pool().getConnectedDeviceCount(), 0);
    EXPECT_FALSE(pool().getNextConnectedIpod());
    EXPECT_TRUE(pool().getAllConnectedIPod().isEmpty());

    auto &hub = SimulatedDeviceHub::instance();
    const QString folder = device("first", "SERIAL1");
    auto sim = hub.attach(folder);
    ASSERT_TRUE(spinUntil([&] { return heard.connected.size() == 1; }));
    EXPECT_EQ(heard.connected, QStringList{"SERIAL1"});
    const NVXIPodPtr first = pool().getIPodByKey("SERIAL1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->uniqueKey(), "SERIAL1");
    EXPECT_EQ(first->deviceInfo()->serialNumber(), "SERIAL1");
    EXPECT_EQ(first->deviceHandle()->serialNumber(), "SERIAL1");
    EXPECT_EQ(first->session()->sessionFolderPath(), sessionFolder("SERIAL1"));
    EXPECT_TRUE(QFileInfo(sessionFolder("SERIAL1")).isDir());
    EXPECT_EQ(pool().getNextConnectedIpod(), first);
    EXPECT_FALSE(first->deviceInfo()->isJailbreak()); // no "com.apple.afc2"
    EXPECT_FALSE(first->deviceInfo()->rootDir());

    // A second arrival of the serial number (listening restarted) replaces
    // the record and empties the folder.
    QFile stale(sessionFolder("SERIAL1") + "/stale");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    pool().stopListen();
    pool().startListen();
    ASSERT_TRUE(spinUntil([&] { return heard.connected.size() == 2; }));
    EXPECT_EQ(pool().getConnectedDeviceCount(), 1);
    EXPECT_NE(pool().getIPodByKey("SERIAL1"), first);
    EXPECT_FALSE(QFile::exists(sessionFolder("SERIAL1") + "/stale"));
    EXPECT_TRUE(QFileInfo(sessionFolder("SERIAL1")).isDir());

    hub.detach(sim);
    ASSERT_TRUE(spinUntil([&] { return heard.disconnected.size() == 1; }));
    EXPECT_EQ(heard.disconnected, QStringList{"SERIAL1"});
    EXPECT_FALSE(pool().checkIPodExsit("SERIAL1"));
    EXPECT_FALSE(QFileInfo::exists(sessionFolder("SERIAL1")));
    // The record a worker still holds stays usable as an object, but its
    // device calls fail.
    EXPECT_EQ(first->deviceInfo()->totalDataAvailable(), 0);
}

TEST_F(NVXIpodPoolTest, DepartureOfAnUnregisteredSerialOnlyAnnouncesIt)
{
    auto sim = SimulatedDeviceHub::instance().attach(device("kept", "KEPT"));
    ASSERT_TRUE(spinUntil([&] { return heard.connected.size() == 1; }));
    pool().removeIPodByKey("NOT-THERE");
    pool().removeIPodByKey(QString());
    EXPECT_EQ(pool().getConnectedDeviceCount(), 1);
    EXPECT_TRUE(QFileInfo(sessionFolder("KEPT")).isDir());

    // The registry forgets the record first (say, on application exit);
    // the departure still posts the key and deletes nothing.
    pool().applicationWillTerminate();
    SimulatedDeviceHub::instance().detach(sim);
    ASSERT_TRUE(spinUntil([&] { return heard.disconnected.size() == 1; }));
    EXPECT_EQ(heard.disconnected, QStringList{"KEPT"});
    EXPECT_TRUE(QFileInfo(sessionFolder("KEPT")).isDir());
}

TEST_F(NVXIpodPoolTest, LockedDeviceGivesOnePasscodeNoticeAndNoRecord)
{
    SimulatedDeviceHub::instance().attach(device("locked", "LOCKED", true));
    ASSERT_TRUE(spinUntil([&] { return heard.passcode.size() == 1; }));
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(heard.passcode.size(), 1);
    EXPECT_FALSE(heard.passcode.first().isEmpty()); // the localized text
    EXPECT_TRUE(heard.connected.isEmpty());
    EXPECT_EQ(pool().getConnectedDeviceCount(), 0);
}

TEST_F(NVXIpodPoolTest, HostileSerialNumbersGetNoWorkingFolder)
{
    // Something the serial number would reach if it were used as a path.
    const QString support = MyHelper::getAppSupportPath();
    const QString victim = support + "/victim.txt";
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    QDir().mkpath(support + "/Session");
    const QStringList before = QDir(support + "/Session").entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

    int arrivals = 0;
    for (const QString &serial : QStringList{"..", "../victim.txt", "a/b", "x\\..\\y", "."}) {
        auto sim = SimulatedDeviceHub::instance().attach(device(QString("hostile%1").arg(arrivals), serial));
        ++arrivals;
        ASSERT_TRUE(spinUntil([&] { return heard.connected.size() == arrivals; })) << serial.toStdString();
        const NVXIPodPtr record = pool().getIPodByKey(serial);
        ASSERT_TRUE(record) << serial.toStdString();
        EXPECT_TRUE(record->session()->sessionFolderPath().isNull()) << serial.toStdString();
        SimulatedDeviceHub::instance().detach(sim);
        ASSERT_TRUE(spinUntil([&] { return heard.disconnected.size() == arrivals; }));
    }
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_TRUE(QFileInfo(support + "/Session").isDir());
    EXPECT_EQ(QDir(support + "/Session").entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
}

TEST_F(NVXIpodPoolTest, DeviceInformationAndHelpers)
{
    const QString folder = device("info", "INFO", false, "iPad4,4", {"com.apple.afc", "com.apple.afc2"});
    SimulatedDeviceHub::instance().attach(folder);
    ASSERT_TRUE(spinUntil([&] { return heard.connected.size() == 1; }));
    const NVXIPodPtr record = pool().getIPodByKey("INFO");
    ASSERT_TRUE(record);
    NVXDeviceBaseInfo *info = record->deviceInfo();
    EXPECT_EQ(info->deviceName(), "info phone");
    EXPECT_EQ(info->productVersion(), "8.3");
    EXPECT_EQ(info->family(), 4002);
    EXPECT_EQ(info->getIPodFamilyString(), "iPad_mini_2");
    EXPECT_TRUE(info->isJailbreak());
    EXPECT_TRUE(info->rootDir());
    EXPECT_TRUE(info->isIOSDevice());
    EXPECT_TRUE(info->refreshDiskUsage());
    EXPECT_EQ(info->totalDataAvailable(), 10485760);
    EXPECT_EQ(info->availableFreeSpace(), 0); // exactly the reserve
    EXPECT_EQ(info->totalDiskCapacity(), 16000000000LL);
    EXPECT_TRUE(info->isBarreyCharging());
    EXPECT_EQ(info->currentCapacity(), 77);
    EXPECT_EQ(MyHelper::getProgressTransSub(record), 4);
    const auto capacity = MyHelper::getConDeviceBaseInfo(record);
    ASSERT_EQ(capacity.size(), 1);
    EXPECT_EQ(capacity[0]->deviceName(), "info phone");
    EXPECT_EQ(capacity[0]->totalCapacity(), 16000000000LL);
    EXPECT_EQ(capacity[0]->availableCapacity(), 10485760);
    EXPECT_FALSE(MyHelper::isExistDatabase(record)); // no photo database on this device
}

TEST(NVXDeviceBaseInfoFamily, ProductTypeTable)
{
    const struct {
        const char *type;
        int code;
        const char *text;
    } cases[] = {
        {"iPhone7,2", 2009, "iPhone_6"},    {"iPhone7,1", 2010, "iPhone_6_Plus"}, {"iPod5,1", 1005, "iPod_Touch_5"},
        {"iPhone3,3", 2004, "iPhone_4"},    {"iPad2,5", 4001, "iPad_mini"},       {"iPad3,4", 3004, "iPad_4"},
        {"iPad5,4", 3006, "iPad_Air2"},     {"iPad3,5", 0, "iPod_Unknown"},       {"iPad4,6", 0, "iPod_Unknown"},
        {"iphone7,2", 0, "iPod_Unknown"},   {"", 0, "iPod_Unknown"},
    };
    for (const auto &c : cases) {
        const int code = NVXDeviceBaseInfo::familyOfProductType(c.type);
        EXPECT_EQ(code, c.code) << c.type;
        EXPECT_EQ(NVXDeviceBaseInfo::familyString(code), c.text) << c.type;
    }
    EXPECT_EQ(NVXDeviceBaseInfo::familyString(12345), "Unknown");
}

} // namespace
