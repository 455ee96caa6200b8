#pragma once

#include "HandsetGate.h"
#include "MobileDevice.h"
#include "PropertyList.h"
#include "SimulatedDeviceHub.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QVariantMap>

// Runs the event loop until `done()` holds or `ms` pass; answers done().
template <typename Pred>
bool spinUntil(Pred done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Detaches every simulated device while the listener still hears it, then
// stops listening, so no test leaves devices or a listener behind.
inline void detachAllSimulatedDevices()
{
    auto &hub = SimulatedDeviceHub::instance();
    for (const auto &d : hub.attachedDevices())
        hub.detach(d);
    spinUntil([] { return HandsetGate::singleton().devices().isEmpty(); }, 1000);
    HandsetGate::singleton().stopListener();
}

// A minimal simulated device folder: its values, domains and settings.
inline bool writeDeviceFolder(const QString &folder, const QVariantMap &values, const QVariantMap &domains = {},
                              bool locked = false, const QStringList &services = {})
{
    QDir().mkpath(folder + "/Media");
    QVariantMap plist{{"Values", values}, {"Domains", domains}, {"PasscodeLocked", locked}, {"InterfaceType", 1}};
    if (!services.isEmpty())
        plist.insert("Services", services);
    return PropertyList::writeFile(folder + "/device.plist", plist, PropertyList::Format::Xml);
}
