#include "NVXSession.h"

#include "AppFolders.h"

#include <QDir>
#include <QFileInfo>

bool NVXSession::isUsableFolderName(const QString &serialNumber)
{
    if (serialNumber.isEmpty() || serialNumber.size() > 128 || serialNumber == QLatin1String(".") ||
        serialNumber == QLatin1String(".."))
        return false;
    for (const QChar c : serialNumber) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QString NVXSession::sessionsRoot() { return AppFolders::supportPath() + QStringLiteral("/Session"); }

NVXSession::NVXSession(NVXIPod *iPod, const QString &serialNumber) : iPod_(iPod)
{
    if (!isUsableFolderName(serialNumber))
        return;
    folder_ = sessionsRoot() + QLatin1Char('/') + serialNumber;
    // A stale folder (an earlier run, an earlier record of this device) is
    // emptied. A symbolic link at the path is removed as itself, never
    // followed.
    const QFileInfo existing(folder_);
    if (existing.isSymLink() || existing.isFile())
        QFile::remove(folder_);
    else if (existing.isDir())
        QDir(folder_).removeRecursively();
    QDir().mkpath(folder_);
}
