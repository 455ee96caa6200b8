// The device listener and device object over simulated devices.

#include "AMDevice.h"
#include "HandsetGate.h"
#include "MobileDevice.h"
#include "NVXSoftWareInfo.h"
#include "PropertyList.h"
#include "SimulatedDeviceHub.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Recorder : HandsetGateListener {
    std::vector<std::shared_ptr<AMDevice>> connected, disconnected;
    void deviceConnected(const std::shared_ptr<AMDevice> &d) override { connected.push_back(d); }
    void deviceDisconnected(const std::shared_ptr<AMDevice> &d) override { disconnected.push_back(d); }
};

template <typename Pred>
bool spinUntil(Pred done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class HandsetGateTest : public ::testing::Test {
protected:
    void SetUp() override { MobileDevice::setBackend(&SimulatedDeviceHub::instance()); }
    void TearDown() override
    {
        // Detach while still listening, so the listener forgets every device.
        for (const auto &d : SimulatedDeviceHub::instance().attachedDevices())
            SimulatedDeviceHub::instance().detach(d);
        spinUntil([] { return HandsetGate::singleton().devices().isEmpty(); }, 500);
        HandsetGate::singleton().stopListener();
        MobileDevice::setBackend(nullptr);
    }
    QString device(const QString &serial, bool locked = false, int interfaceType = 1,
                   const QString &udid = "0123456789abcdef0123456789abcdef01234567")
    {
        const QString folder = dir.file(serial);
        QDir().mkpath(folder + "/Media");
        const QVariantMap plist{
            {"Values", QVariantMap{{"DeviceName", serial + " phone"}, {"SerialNumber", serial},
                                   {"UniqueDeviceID", udid}, {"ProductType", "iPhone7,2"},
                                   {"ProductVersion", "8.3"}, {"DeviceClass", "iPhone"},
                                   {"FirmwareVersion", "iBoot-2261"}, {"TimeZoneOffsetFromUTC", 3600.0}}},
            {"Domains", QVariantMap{{"com.apple.disk_usage", QVariantMap{{"TotalDiskCapacity", 16000000000LL}}},
                                    {"com.apple.mobile.iTunes", QVariantMap{{"SupportsAirTraffic", true}}}}},
            {"PasscodeLocked", locked},
            {"InterfaceType", interfaceType}};
        EXPECT_TRUE(PropertyList::writeFile(folder + "/device.plist", plist, PropertyList::Format::Xml));
        return folder;
    }
    TempDir dir;
    // Listeners outlive the test body: the tear-down still reports to them.
    Recorder r, again;
};

TEST_F(HandsetGateTest, AttachDetachReplayAndTheWifiRule)
{
    auto &hub = SimulatedDeviceHub::instance();
    auto &gate = HandsetGate::singleton();
    auto early = hub.attach(device("EARLY"));
    gate.setListener(&r);
    ASSERT_TRUE(gate.isSubscribed());
    hub.attach(device("WIFI", false, 2)); // ignored while Wi-Fi support is off
    auto usb = hub.attach(device("USB"));
    ASSERT_TRUE(spinUntil([&] { return r.connected.size() == 2; }));
    spinUntil([] { return false; }, 50);
    ASSERT_EQ(r.connected.size(), 2u);
    EXPECT_EQ(r.connected[0]->serialNumber(), "EARLY"); // replayed on subscribing
    EXPECT_EQ(r.connected[1]->serialNumber(), "USB");
    EXPECT_EQ(r.connected[1]->deviceName(), "USB phone");
    EXPECT_EQ(r.connected[1]->productVersion(), "8.3");
    EXPECT_EQ(r.connected[1]->totalDiskCapacity().toLongLong(), 16000000000LL);
    EXPECT_FALSE(r.connected[1]->isWifiConnection());
    EXPECT_EQ(gate.devices().size(), 2);

    hub.detach(usb);
    ASSERT_TRUE(spinUntil([&] { return r.disconnected.size() == 1; }));
    EXPECT_EQ(r.disconnected[0], r.connected[1]);
    EXPECT_EQ(gate.devices().size(), 1);
    // The forgotten object keeps its values and fails every call.
    const auto gone = r.disconnected[0];
    EXPECT_EQ(gone->serialNumber(), "USB");
    EXPECT_FALSE(gone->deviceConnect());
    EXPECT_FALSE(gone->deviceValueForKey("DeviceName").isValid());
    EXPECT_TRUE(gone->getDeviceInfo().isEmpty());
    EXPECT_FALSE(gone->newFileService("com.apple.afc"));

    // A second subscription hears of the attached device again.
    gate.stopListener();
    gate.setListener(&again);
    ASSERT_TRUE(spinUntil([&] { return again.connected.size() == 1; }));
    EXPECT_EQ(again.connected[0]->serialNumber(), "EARLY");
    (void)early;
}

TEST_F(HandsetGateTest, LockedDeviceIsMarkedAndGivesNoValues)
{
    auto d = AMDevice::deviceFrom(SimulatedDeviceHub::instance().attach(device("LOCKED", true)));
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->deviceConnect());
    EXPECT_TRUE(d->isNeedInputPassCode());
    EXPECT_TRUE(d->serialNumber().isNull());
    // The disconnect after the failed session succeeded and cleared the
    // text; the mark stays. A session asked for directly reports itself.
    EXPECT_FALSE(d->startSession());
    EXPECT_EQ(d->lasterror(), "AMDeviceStartSession failed: e8000025");
    // Another failing status leaves the mark and reports itself.
    auto other = AMDevice::deviceFrom(SimulatedDeviceHub::instance().attach(device("OTHER")));
    EXPECT_FALSE(other->checkStatus(0xe8000084, "AMDeviceConnect"));
    EXPECT_FALSE(other->isNeedInputPassCode());
    EXPECT_EQ(other->lasterror(), "AMDeviceConnect failed: e8000084");
    EXPECT_TRUE(other->checkStatus(0, "AMDeviceConnect"));
    EXPECT_TRUE(other->lasterror().isNull() || other->lasterror().isEmpty());
}

TEST_F(HandsetGateTest, DeviceInfoAndTheFirewireRule)
{
    auto d = AMDevice::deviceFrom(SimulatedDeviceHub::instance().attach(device("INFO")));
    ASSERT_TRUE(d);
    const QVariantMap info = d->getDeviceInfo();
    EXPECT_EQ(info.value("FirewireID").toString(), "0123456789ABCDEF");
    EXPECT_EQ(info.value("SerialNumberForHashing").toString(), "0123456789abcdef0123456789abcdef01234567");
    EXPECT_EQ(info.value("DeviceName").toString(), "INFO phone");
    EXPECT_EQ(info.value("AirSync").toBool(), true);
    EXPECT_EQ(info.value("TimeZoneOffsetFromUTC").toDouble(), 3600.0);
    EXPECT_FALSE(info.contains("PhoneNumber")) << "a missing value leaves its key out";
    auto shortId = AMDevice::deviceFrom(SimulatedDeviceHub::instance().attach(device("SHORT", false, 1, "abc123")));
    EXPECT_EQ(shortId->getDeviceInfo().value("FirewireID").toString(), "ABC123");
}

TEST_F(HandsetGateTest, ConcurrentValueReadsOnOneDevice)
{
    auto d = AMDevice::deviceFrom(SimulatedDeviceHub::instance().attach(device("SHARED")));
    ASSERT_TRUE(d);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (d->deviceValueForKey("SerialNumber").toString() != "SHARED")
                    ++wrong;
                if (d->getDeviceInfo().value("ProductType").toString() != "iPhone7,2")
                    ++wrong;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(HandsetGateTest, AttachOfADeviceThatCannotConnectMakesNoObject)
{
    auto &hub = SimulatedDeviceHub::instance();
    HandsetGate::singleton().setListener(&r);
    const qsizetype before = HandsetGate::singleton().devices().size();
    auto d = hub.attach(device("FLEETING"));
    d->detach(); // gone before the event is handled
    spinUntil([] { return false; }, 100);
    EXPECT_TRUE(r.connected.empty());
    EXPECT_EQ(HandsetGate::singleton().devices().size(), before);
    // A detach of a handle no object holds changes nothing.
    AMDeviceNotificationInfo info{d, 2};
    HandsetGate::singleton().Notify(info);
    EXPECT_TRUE(r.disconnected.empty());
}

} // namespace

namespace {

TEST_F(HandsetGateTest, WaitForConnectionEndsOnTheNextEvent)
{
    auto &gate = HandsetGate::singleton();
    EXPECT_FALSE(gate.waitForConnection()) << "not subscribed: nothing would end the wait";
    gate.setListener(&r);
    const QString folder = device("WAITED");
    QTimer::singleShot(20, [&] { SimulatedDeviceHub::instance().attach(folder); });
    // A safety net that would end the wait with a detach event; it is
    // cancelled with its guard when the test ends.
    QObject guard;
    QTimer::singleShot(3000, &guard, [] {
        AMDeviceNotificationInfo info{nullptr, 2};
        HandsetGate::singleton().Notify(info);
    });
    EXPECT_TRUE(gate.waitForConnection());
    ASSERT_EQ(r.connected.size(), 1u);
    EXPECT_EQ(r.connected[0]->serialNumber(), "WAITED");
}

} // namespace
