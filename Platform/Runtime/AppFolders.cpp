#include "AppFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool hasNul(const QString &text) { return text.contains(QChar(0)); }

} // namespace

QString AppFolders::supportPath()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                         + QStringLiteral("/com.norvix.Snapvale/Snapvale");
    QDir().mkpath(path); // errors ignored: callers fail on their own file operation
    return path;
}

QString AppFolders::tempPath()
{
    const QString path = supportPath() + QStringLiteral("/tmp");
    QDir().mkpath(path);
    return path;
}

QString AppFolders::resourcePath(const QString &name, const QString &type)
{
    // The name must stay a single file name inside the support folder.
    if (name.isEmpty() || name.contains(u'/') || type.contains(u'/') || hasNul(name) || hasNul(type))
        return {};
    const QString fileName = name + u'.' + type;
    const QString path = supportPath() + u'/' + fileName;
    seedFile(path, QStringLiteral(":/seed/") + fileName);
    return path;
}

bool AppFolders::seedFile(const QString &path, const QString &seedPath)
{
    if (path.isEmpty() || hasNul(path))
        return false;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        return info.exists();
    if (seedPath.isEmpty() || !QFile::copy(seedPath, path))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}
