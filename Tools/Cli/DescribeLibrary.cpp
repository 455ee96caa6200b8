#include "DescribeLibrary.h"

#include "AFCDirectoryAccess.h"
#include "AMDevice.h"
#include "MyCreatePlist.h"
#include "SimulatedDeviceHub.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "snapvale-cli: %s\n", message.toUtf8().constData());
    return 1;
}

const QString kDatabase = QStringLiteral("/PhotoData/Photos.sqlite");
const QString kLibraryUuidFile = QStringLiteral("/Photos/Sync/CurrentLibraryUUID.plist");

} // namespace

int DescribeLibrary::run()
{
    MobileDevice::setBackend(&SimulatedDeviceHub::instance());
    QString error;
    const auto simulated = SimulatedDeviceHub::instance().attach(deviceFolder, &error);
    if (!simulated)
        return fail(error);
    const auto device = AMDevice::deviceFrom(simulated);
    if (!device)
        return fail(QStringLiteral("the device in %1 cannot be reached").arg(deviceFolder));
    if (device->isNeedInputPassCode())
        return fail(QStringLiteral("the device is locked with a passcode"));
    const auto afc = AFCMediaDirectory::open(device);
    if (!afc)
        return fail(QStringLiteral("the device's media area cannot be opened"));

    // The working copy: the database with its two journal files, each
    // copied when the device has it.
    QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("Photos.sqlite"));
    if (!afc->fileExistsAtPath(kDatabase))
        return fail(QStringLiteral("the device has no photo database"));
    for (const char *suffix : {"", "-wal", "-shm"}) {
        const QString remote = kDatabase + QString::fromLatin1(suffix);
        if (afc->fileExistsAtPath(remote) && !afc->copyRemoteFile1ToLocalFile(remote, copy + QString::fromLatin1(suffix)))
            return fail(QStringLiteral("copying %1 failed: %2").arg(remote, afc->lasterror()));
    }

    MyCreatePlist::Device d;
    d.productVersion = device->productVersion();
    d.sqlPath = copy;
    d.currentLibraryUuidPlist = [&]() -> std::optional<QByteArray> {
        if (!afc->fileExistsAtPath(kLibraryUuidFile))
            return std::nullopt;
        const QString local = work.filePath(QStringLiteral("CurrentLibraryUUID.plist"));
        QFile::remove(local);
        if (!afc->copyRemoteFile1ToLocalFile(kLibraryUuidFile, local))
            return QByteArray();
        QFile f(local);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QVariantList albumKeys;
    for (int k : deleteAlbums)
        albumKeys << k;
    MyCreatePlist builder({{QStringLiteral("albumZpks"), albumKeys}, {QStringLiteral("photoZpks"), QVariantList()}},
                          deletePhotos, !deleteAlbums.isEmpty(), !deletePhotos.isEmpty(), d);
    const QString written = builder.createSyncPlistContent(0);
    if (written.isNull())
        return fail(QStringLiteral("the photo library could not be read: %1").arg(builder.lastError()));

    QFile in(written);
    QSaveFile out(output);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0 ||
        !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(output));
    std::printf("%s\n", output.toUtf8().constData());
    SimulatedDeviceHub::instance().detach(simulated);
    return 0;
}
