// Copies from a simulated device to the computer: the progress copy and the
// bulk copy, next to `cp` of the same files in the same run (the floor).
//
//   bench_afc_copy [--small N] [--runs N]

#include "AFCDirectoryAccess.h"
#include "BenchUtil.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "SimulatedDeviceHub.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void writeRandom(const QString &path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QByteArray block(1 << 20, '\0');
    QRandomGenerator rng(7);
    rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
    for (qint64 left = size; left > 0; left -= block.size())
        f.write(block.constData(), std::min<qint64>(left, block.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int small = 2000, runs = 3;
    if (const qsizetype i = args.indexOf("--small"); i > 0 && i + 1 < args.size())
        small = args.at(i + 1).toInt();
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = args.at(i + 1).toInt();

    QTemporaryDir tmp(QDir::currentPath() + "/bench-afc-XXXXXX");
    const QString deviceFolder = tmp.filePath("device");
    const QString media = deviceFolder + "/Media";
    QDir().mkpath(media + "/DCIM/100APPLE");
    PropertyList::writeFile(deviceFolder + "/device.plist", QVariantMap{{"Values", QVariantMap{{"SerialNumber", "BENCH"}}}},
                            PropertyList::Format::Xml);
    writeRandom(media + "/big.bin", 200LL * 1024 * 1024);
    QStringList smallFiles;
    for (int i = 0; i < small; ++i) {
        const QString name = QString("DCIM/100APPLE/IMG_%1.JPG").arg(i, 4, 10, QChar('0'));
        writeRandom(media + "/" + name, 2LL * 1024 * 1024);
        smallFiles << name;
    }
    MobileDevice::setBackend(&SimulatedDeviceHub::instance());
    auto sim = SimulatedDeviceHub::instance().attach(deviceFolder);
    auto device = AMDevice::deviceFrom(sim);
    auto afc = device ? AFCMediaDirectory::open(device) : nullptr;
    if (!afc) {
        std::printf("could not open the simulated device\n");
        return 1;
    }
    // A progress observer like the transfer driver's, so the notifications
    // cost what they cost in the application.
    qint64 seen = 0;
    NotificationCenter::defaultCenter().addObserver(&seen, AFCDirectoryAccess::kCopyProgress, nullptr,
                                                    [&](const Notification &n) {
                                                        seen += n.userInfo.value("CurCopiedSize").toLongLong();
                                                    });

    const double bigMB = 200.0, smallMB = 2.0 * small;
    std::printf("simulated device copies, %d runs, medians; 200 MB file and %d files of 2 MB\n", runs, small);
    std::printf("%-26s %12s %12s\n", "method", "200MB MB/s", "small MB/s");
    struct Method {
        const char *name;
        std::function<bool(const QString &, const QString &)> copy;
    } methods[] = {
        {"cp (floor)", [&](const QString &from, const QString &to) {
             return bench::runProcess("cp", {media + "/" + from, to}).status == 0;
         }},
        {"progress copy", [&](const QString &from, const QString &to) {
             return afc->copyRemoteFileToLocalFile("/" + from, to);
         }},
        {"bulk copy", [&](const QString &from, const QString &to) {
             return afc->copyRemoteFile1ToLocalFile("/" + from, to);
         }},
    };
    // cp of many small files is timed as one process over the whole folder,
    // so process start-up does not count against the floor.
    for (const Method &m : methods) {
        const bool isCp = QString(m.name).startsWith("cp");
        bool ok = true;
        const double bigMs = bench::medianMs(runs, [&] {
            const QString out = tmp.filePath("out-big.bin");
            QFile::remove(out);
            ok &= m.copy("big.bin", out);
        });
        const double smallMs = bench::medianMs(runs, [&] {
            const QString outDir = tmp.filePath("out-small");
            QDir(outDir).removeRecursively();
            QDir().mkpath(outDir);
            if (isCp) {
                ok &= bench::runProcess("cp", {"-r", media + "/DCIM/100APPLE", outDir + "/copy"}).status == 0;
                return;
            }
            for (const QString &f : smallFiles)
                ok &= m.copy(f, outDir + "/" + QFileInfo(f).fileName());
        });
        if (!ok) {
            std::printf("%s failed\n", m.name);
            return 1;
        }
        std::printf("%-26s %12.1f %12.1f\n", m.name, bigMB / (bigMs / 1000.0), smallMB / (smallMs / 1000.0));
    }
    NotificationCenter::defaultCenter().removeObserver(&seen);
    return 0;
}
