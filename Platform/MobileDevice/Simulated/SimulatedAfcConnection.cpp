#include "SimulatedAfcConnection.h"

#include "MobileDeviceStatus.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <unistd.h>

using namespace MobileDeviceStatus;

namespace {

bool within(const QString &path, const QString &root)
{
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

QString nanoseconds(const QDateTime &t)
{
    return QString::number(t.isValid() ? t.toMSecsSinceEpoch() * 1000000LL : 0);
}

} // namespace

SimulatedAfcConnection::SimulatedAfcConnection(const QString &root, std::shared_ptr<SimulatedFaults> faults)
    : root_(QDir::cleanPath(QFileInfo(root).absoluteFilePath())),
      canonicalRoot_(QFileInfo(root).canonicalFilePath()), faults_(std::move(faults))
{
}

SimulatedAfcConnection::~SimulatedAfcConnection() = default;

std::optional<QString> SimulatedAfcConnection::lexical(const QString &devicePath) const
{
    if (canonicalRoot_.isEmpty() || devicePath.contains(QChar(0)))
        return std::nullopt;
    QStringList segments;
    for (const QString &part : devicePath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt; // the device's own paths never climb
        segments << part;
    }
    return segments.isEmpty() ? root_ : root_ + QLatin1Char('/') + segments.join(QLatin1Char('/'));
}

std::optional<QString> SimulatedAfcConnection::linkItself(const QString &devicePath) const
{
    const auto local = lexical(devicePath);
    if (!local || !QFileInfo(*local).isSymLink())
        return std::nullopt;
    // The folder holding the link must itself be inside the root.
    if (!resolve(QFileInfo(devicePath).path()))
        return std::nullopt;
    return local;
}

std::optional<QString> SimulatedAfcConnection::resolve(const QString &devicePath) const
{
    const auto lex = lexical(devicePath);
    if (!lex)
        return std::nullopt;
    const QString local = *lex;
    // Follow links: the deepest part of the path that exists must stay
    // inside the root once every link in it is resolved.
    QString probe = local;
    while (true) {
        const QFileInfo info(probe);
        if (info.isSymLink() && !info.exists())
            return std::nullopt; // a dangling link: where it points is not ours to create
        if (info.exists()) {
            if (!within(info.canonicalFilePath(), canonicalRoot_))
                return std::nullopt;
            break;
        }
        if (probe == root_)
            return std::nullopt;
        probe = QFileInfo(probe).path();
    }
    return local;
}

void SimulatedAfcConnection::count(qint64 bytes)
{
    const qint64 total = faults_->bytesTransferred.fetch_add(bytes) + bytes;
    const qint64 limit = faults_->detachAfterBytes.load();
    if (limit >= 0 && total >= limit)
        faults_->detachNow();
}

std::uint32_t SimulatedAfcConnection::fileInfo(const QString &path, QMap<QString, QString> *info)
{
    if (gone())
        return kAfcNotConnected;
    // A link that leads nowhere or outside is described as itself, never
    // followed.
    auto local = resolve(path);
    if (!local)
        local = linkItself(path);
    if (!local)
        return kAfcObjectNotFound;
    const QFileInfo fi(*local);
    if (!fi.exists() && !fi.isSymLink())
        return kAfcObjectNotFound;
    QString type = QStringLiteral("S_IFREG");
    if (fi.isSymLink())
        type = QStringLiteral("S_IFLNK");
    else if (fi.isDir())
        type = QStringLiteral("S_IFDIR");
    info->clear();
    info->insert(QStringLiteral("st_size"), QString::number(fi.isDir() ? 0 : fi.size()));
    info->insert(QStringLiteral("st_blocks"), QString::number((fi.size() + 511) / 512));
    info->insert(QStringLiteral("st_nlink"), QStringLiteral("1"));
    info->insert(QStringLiteral("st_ifmt"), type);
    info->insert(QStringLiteral("st_mtime"), nanoseconds(fi.lastModified()));
    info->insert(QStringLiteral("st_birthtime"), nanoseconds(fi.birthTime().isValid() ? fi.birthTime()
                                                                                      : fi.lastModified()));
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::deviceInfo(QMap<QString, QString> *info)
{
    if (gone())
        return kAfcNotConnected;
    const QStorageInfo storage(root_);
    info->clear();
    info->insert(QStringLiteral("Model"), QStringLiteral("Simulated"));
    info->insert(QStringLiteral("FSTotalBytes"), QString::number(storage.bytesTotal()));
    info->insert(QStringLiteral("FSFreeBytes"), QString::number(storage.bytesAvailable()));
    info->insert(QStringLiteral("FSBlockSize"), QStringLiteral("4096"));
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::readDirectory(const QString &path, QStringList *names)
{
    if (gone())
        return kAfcNotConnected;
    const auto local = resolve(path);
    if (!local || !QFileInfo::exists(*local))
        return linkItself(path) ? kAfcNotDirectory : kAfcObjectNotFound;
    if (!QFileInfo(*local).isDir())
        return kAfcNotDirectory;
    QDir dir(*local);
    *names = QStringList{QStringLiteral("."), QStringLiteral("..")}
             + dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::makeDirectory(const QString &path)
{
    if (gone())
        return kAfcNotConnected;
    const auto local = resolve(path);
    if (!local)
        return kAfcObjectNotFound;
    if (QFileInfo(*local).isDir())
        return kSuccess;
    return QDir().mkpath(*local) ? kSuccess : kAfcPermissionDenied;
}

std::uint32_t SimulatedAfcConnection::removePath(const QString &path)
{
    if (gone())
        return kAfcNotConnected;
    // A link is removed as itself (never its target).
    auto local = linkItself(path);
    if (!local)
        local = resolve(path);
    if (!local || *local == root_)
        return kAfcObjectNotFound;
    const QFileInfo fi(*local);
    if (fi.isDir() && !fi.isSymLink()) {
        if (!QDir(*local).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            return kAfcObjectExists; // like the device: only an empty folder goes
        return QDir().rmdir(*local) ? kSuccess : kAfcPermissionDenied;
    }
    if (!fi.exists() && !fi.isSymLink())
        return kAfcObjectNotFound;
    return QFile::remove(*local) ? kSuccess : kAfcPermissionDenied;
}

std::uint32_t SimulatedAfcConnection::renamePath(const QString &from, const QString &to)
{
    if (gone())
        return kAfcNotConnected;
    const auto a = resolve(from);
    const auto b = resolve(to);
    if (!a || !b || !QFileInfo::exists(*a) || *a == root_)
        return kAfcObjectNotFound;
    return QFile::rename(*a, *b) ? kSuccess : kAfcObjectExists;
}

std::uint32_t SimulatedAfcConnection::linkPath(std::uint64_t type, const QString &target, const QString &link)
{
    if (gone())
        return kAfcNotConnected;
    if (type != 1 && type != 2)
        return kAfcOpNotSupported;
    const auto where = resolve(link);
    // The target is a device path too; relative targets are taken from the
    // link's folder. Either way it must lie inside the root.
    const QString targetDevicePath =
        target.startsWith(QLatin1Char('/')) ? target : QFileInfo(link).path() + QLatin1Char('/') + target;
    const auto goal = resolve(targetDevicePath);
    if (!where || !goal)
        return kAfcObjectNotFound;
    if (type == 1) {
        if (!QFileInfo(*goal).isFile())
            return kAfcObjectNotFound;
        return ::link(QFile::encodeName(*goal).constData(), QFile::encodeName(*where).constData()) == 0
                   ? kSuccess
                   : kAfcObjectExists;
    }
    return QFile::link(*goal, *where) ? kSuccess : kAfcObjectExists;
}

std::uint32_t SimulatedAfcConnection::fileOpen(const QString &path, std::uint64_t mode, std::uint64_t *ref)
{
    *ref = 0;
    if (gone())
        return kAfcNotConnected;
    if (mode < ReadOnly || mode > ReadWrite)
        return kAfcInvalidArgument;
    const auto local = resolve(path);
    if (!local)
        return kAfcObjectNotFound;
    if (QFileInfo(*local).isDir())
        return kAfcObjectIsDirectory;
    auto file = std::make_unique<QFile>(*local);
    QIODevice::OpenMode qtMode = mode == ReadOnly  ? QIODevice::ReadOnly
                                 : mode == WriteOnly ? (QIODevice::WriteOnly | QIODevice::Truncate)
                                                     : QIODevice::ReadWrite;
    // Unbuffered: each call is one read or write of the caller's size, as
    // on the wire, with no extra copy.
    if (!file->open(qtMode | QIODevice::Unbuffered))
        return QFileInfo::exists(*local) ? kAfcPermissionDenied : kAfcObjectNotFound;
    std::lock_guard lock(mutex_);
    *ref = nextRef_++;
    files_.emplace(*ref, std::move(file));
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::fileRead(std::uint64_t ref, char *buffer, std::uint32_t *length)
{
    const std::uint32_t wanted = *length;
    *length = 0;
    if (gone())
        return kAfcNotConnected;
    if (faults_->failReads.load())
        return kAfcIoError;
    std::lock_guard lock(mutex_);
    const auto it = files_.find(ref);
    if (it == files_.end())
        return kAfcInvalidArgument;
    const qint64 n = it->second->read(buffer, wanted);
    if (n < 0)
        return kAfcIoError;
    *length = std::uint32_t(n);
    count(n);
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::fileWrite(std::uint64_t ref, const char *buffer, std::uint32_t length)
{
    if (gone())
        return kAfcNotConnected;
    if (faults_->failWrites.load())
        return kAfcIoError;
    // A full disk: the budget is taken as a whole write or not at all.
    for (qint64 budget = faults_->writeBudget.load(); budget >= 0;) {
        if (budget < qint64(length))
            return kAfcNoSpace;
        if (faults_->writeBudget.compare_exchange_weak(budget, budget - length))
            break;
    }
    std::lock_guard lock(mutex_);
    const auto it = files_.find(ref);
    if (it == files_.end())
        return kAfcInvalidArgument;
    if (it->second->write(buffer, length) != qint64(length))
        return kAfcIoError;
    count(length);
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::fileClose(std::uint64_t ref)
{
    std::lock_guard lock(mutex_);
    return files_.erase(ref) ? kSuccess : kAfcInvalidArgument;
}

std::uint32_t SimulatedAfcConnection::fileSeek(std::uint64_t ref, qint64 offset, int whence)
{
    if (gone())
        return kAfcNotConnected;
    std::lock_guard lock(mutex_);
    const auto it = files_.find(ref);
    if (it == files_.end() || whence < 0 || whence > 2)
        return kAfcInvalidArgument;
    QFile &f = *it->second;
    const qint64 base = whence == 0 ? 0 : whence == 1 ? f.pos() : f.size();
    return base + offset >= 0 && f.seek(base + offset) ? kSuccess : kAfcInvalidArgument;
}

std::uint32_t SimulatedAfcConnection::fileTell(std::uint64_t ref, std::uint64_t *position)
{
    if (gone())
        return kAfcNotConnected;
    std::lock_guard lock(mutex_);
    const auto it = files_.find(ref);
    if (it == files_.end())
        return kAfcInvalidArgument;
    *position = std::uint64_t(it->second->pos());
    return kSuccess;
}

std::uint32_t SimulatedAfcConnection::fileSetSize(std::uint64_t ref, std::uint64_t size)
{
    if (gone())
        return kAfcNotConnected;
    std::lock_guard lock(mutex_);
    const auto it = files_.find(ref);
    if (it == files_.end())
        return kAfcInvalidArgument;
    return it->second->resize(qint64(size)) ? kSuccess : kAfcIoError;
}

std::uint32_t SimulatedAfcConnection::fileLock(std::uint64_t ref, std::uint64_t operation)
{
    if (gone())
        return kAfcNotConnected;
    std::lock_guard lock(mutex_);
    if (files_.find(ref) == files_.end())
        return kAfcInvalidArgument;
    const std::uint64_t op = operation & ~std::uint64_t(4);
    return op == 2 || op == 6 || op == 8 ? kSuccess : kAfcInvalidArgument;
}

std::uint32_t SimulatedAfcConnection::setModTime(const QString &path, std::uint64_t nanoseconds)
{
    if (gone())
        return kAfcNotConnected;
    const auto local = resolve(path);
    if (!local || !QFileInfo::exists(*local))
        return kAfcObjectNotFound;
    QFile f(*local);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return kAfcPermissionDenied;
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(qint64(nanoseconds / 1000000), Qt::UTC);
    return f.setFileTime(when, QFileDevice::FileModificationTime) ? kSuccess : kAfcPermissionDenied;
}
