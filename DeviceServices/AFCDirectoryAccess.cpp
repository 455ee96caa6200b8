#include "AFCDirectoryAccess.h"

#include "AMService.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unistd.h>
#include <cstdio>
#include <vector>

using namespace MobileDeviceStatus;

const QString AFCDirectoryAccess::kCopyBegin = QStringLiteral("AFCFileCopyBegin");
const QString AFCDirectoryAccess::kCopyProgress = QStringLiteral("AFCFileCopyProgress");
const QString AFCDirectoryAccess::kCopyDone = QStringLiteral("AFCFileCopyDone");

namespace {

std::uint32_t typeOf(const QString &ifmt)
{
    static const QStringList types = {"S_IFREG", "S_IFDIR", "S_IFCHR", "S_IFBLK", "S_IFLNK"};
    return std::uint32_t(types.indexOf(ifmt) + 1); // 0 when unknown
}

QString standardised(const QString &path) { return QDir::cleanPath(path); }

} // namespace

std::unique_ptr<AFCDirectoryAccess> AFCDirectoryAccess::open(const std::shared_ptr<AMDevice> &device,
                                                            const QString &serviceName)
{
    if (!device)
        return nullptr;
    AFCConnectionRef afc = device->newFileService(serviceName);
    if (!afc) {
        std::fprintf(stderr, "AFCConnectionOpen failed: %d\n", int(kAfcNotConnected));
        return nullptr;
    }
    return std::unique_ptr<AFCDirectoryAccess>(new AFCDirectoryAccess(std::move(afc)));
}

AFCDirectoryAccess::~AFCDirectoryAccess()
{
    if (afc_)
        close();
}

void AFCDirectoryAccess::close()
{
    if (!afc_)
        return;
    const std::uint32_t status = AFCConnectionClose(afc_);
    if (status != kSuccess)
        std::fprintf(stderr, "AFCConnectionClose failed: %d\n", int(status));
    afc_.reset();
}

bool AFCDirectoryAccess::ready(const QString &path)
{
    if (path.isNull()) {
        lasterror_ = QStringLiteral("Input path is nil");
        return false;
    }
    if (!afc_) {
        lasterror_ = QStringLiteral("Connection is not open");
        return false;
    }
    return true;
}

bool AFCDirectoryAccess::check(std::uint32_t status, const char *call)
{
    if (status == kSuccess) {
        lasterror_.clear();
        return true;
    }
    lasterror_ = QString::asprintf("%s failed: Return code = 0x%04X", call, status);
    return false;
}

QVariantMap AFCDirectoryAccess::parseKeyValues(const QMap<QString, QString> &pairs)
{
    QVariantMap out;
    for (auto it = pairs.begin(); it != pairs.end(); ++it) {
        const QString &v = it.value();
        const bool digits = std::all_of(v.begin(), v.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        bool ok = false;
        const qint64 number = v.isEmpty() ? 0 : v.toLongLong(&ok);
        out.insert(it.key(), digits && (ok || v.isEmpty()) ? QVariant(number) : QVariant(v));
    }
    return out;
}

QVariant AFCDirectoryAccess::getFileInfo(const QString &path)
{
    if (!ready(path))
        return {};
    QMap<QString, QString> pairs;
    if (!check(AFCFileInfoOpen(afc_, path, &pairs), "AFCFileInfoOpen"))
        return {};
    QVariantMap info = parseKeyValues(pairs);
    info.insert(QStringLiteral("path"), path);
    return info;
}

bool AFCDirectoryAccess::fileExistsAtPath(const QString &path)
{
    if (!ready(path))
        return false;
    QMap<QString, QString> pairs;
    return AFCFileInfoOpen(afc_, path, &pairs) == kSuccess; // a miss sets no error text
}

QVariant AFCDirectoryAccess::deviceInfo()
{
    if (!ready(QStringLiteral("/")))
        return {};
    QMap<QString, QString> pairs;
    if (!check(AFCDeviceInfoOpen(afc_, &pairs), "AFCDeviceInfoOpen"))
        return {};
    return parseKeyValues(pairs);
}

QVariant AFCDirectoryAccess::directoryContents(const QString &path)
{
    if (!ready(path))
        return {};
    QStringList names;
    if (!check(AFCDirectoryRead(afc_, path, &names), "AFCDirectoryOpen"))
        return {};
    names.removeAll(QStringLiteral("."));
    names.removeAll(QStringLiteral(".."));
    return names;
}

QList<AMFileEntity> AFCDirectoryAccess::getItemInDirectory(const QString &path)
{
    QList<AMFileEntity> out;
    if (!ready(path))
        return out;
    QStringList elements;
    QStringList names;
    const std::uint32_t status = AFCDirectoryRead(afc_, path, &names);
    if (status == kAfcNotDirectory) {
        elements << path;
    } else if (!check(status, "AFCDirectoryOpen")) {
        return out;
    } else {
        elements << path + QLatin1Char('/');
        for (const QString &n : names)
            if (n != QLatin1String(".") && n != QLatin1String(".."))
                elements << path + QLatin1Char('/') + n;
    }
    for (const QString &e : elements) {
        AMFileEntity entity;
        entity.FilePath = e;
        entity.Name = QFileInfo(standardised(e)).fileName();
        QMap<QString, QString> pairs;
        if (AFCFileInfoOpen(afc_, e, &pairs) == kSuccess && !pairs.isEmpty()) {
            entity.FileSize = std::int32_t(pairs.value(QStringLiteral("st_size")).toLongLong());
            entity.FileType = typeOf(pairs.value(QStringLiteral("st_ifmt")));
        }
        out << entity;
    }
    return out;
}

QList<AMFileEntity> AFCDirectoryAccess::getItemInDirWithoutRootDir(const QString &path)
{
    QList<AMFileEntity> items = getItemInDirectory(path);
    items.removeIf([&](const AMFileEntity &e) {
        return e.FileType == 2 && standardised(e.FilePath) == standardised(path);
    });
    return items;
}

bool AFCDirectoryAccess::collectRecursive(const QString &path, QStringList *out)
{
    QStringList names;
    const std::uint32_t status = AFCDirectoryRead(afc_, path, &names);
    if (status == kAfcNotDirectory) {
        *out << path;
        return true;
    }
    if (!check(status, "AFCDirectoryOpen"))
        return false;
    *out << path + QLatin1Char('/');
    for (const QString &n : names) {
        if (n == QLatin1String(".") || n == QLatin1String(".."))
            continue;
        if (!collectRecursive(path + QLatin1Char('/') + n, out))
            return false;
    }
    return true;
}

QVariant AFCDirectoryAccess::recursiveDirectoryContents(const QString &path)
{
    if (!ready(path))
        return {};
    QStringList all;
    if (!collectRecursive(path, &all))
        return {};
    all.sort(Qt::CaseSensitive);
    return all;
}

bool AFCDirectoryAccess::mkdir(const QString &path)
{
    return ready(path) && check(AFCDirectoryCreate(afc_, path), "AFCDirectoryCreate");
}

bool AFCDirectoryAccess::unlink(const QString &path)
{
    return ready(path) && check(AFCRemovePath(afc_, path), "AFCRemovePath");
}

bool AFCDirectoryAccess::unlinkFolder(const QString &path)
{
    if (!ready(path))
        return false;
    for (const AMFileEntity &e : getItemInDirWithoutRootDir(path)) {
        if (e.FileType == 2)
            unlinkFolder(e.FilePath);
        else if (e.FileType != 0)
            unlink(e.FilePath);
    }
    unlink(path);
    return true;
}

bool AFCDirectoryAccess::rename(const QString &from, const QString &to)
{
    if (from.isNull()) {
        lasterror_ = QStringLiteral("Old path is nil");
        return false;
    }
    if (to.isNull()) {
        lasterror_ = QStringLiteral("New path is nil");
        return false;
    }
    return ready(from) && check(AFCRenamePath(afc_, from, to), "AFCRenamePath");
}

bool AFCDirectoryAccess::makeLink(std::uint64_t type, const QString &path, const QString &target)
{
    if (path.isNull()) {
        lasterror_ = QStringLiteral("Path is nil");
        return false;
    }
    if (target.isNull()) {
        lasterror_ = QStringLiteral("Target is nil");
        return false;
    }
    return ready(path) && check(AFCLinkPath(afc_, type, target, path), "AFCLinkPath");
}

bool AFCDirectoryAccess::symlink(const QString &path, const QString &target) { return makeLink(2, path, target); }
bool AFCDirectoryAccess::link(const QString &path, const QString &target) { return makeLink(1, path, target); }

bool AFCDirectoryAccess::setmodtime(const QString &path, std::uint64_t nanoseconds)
{
    if (path.isNull()) {
        lasterror_ = QStringLiteral("Path is nil");
        return false;
    }
    return ready(path) && check(AFCSetModTime(afc_, path, nanoseconds), "AFCOperationCreateSetModTime");
}

std::unique_ptr<AFCFileReference> AFCDirectoryAccess::openFile(const QString &path, std::uint64_t mode)
{
    if (!ready(path))
        return nullptr;
    std::uint64_t ref = 0;
    if (!check(AFCFileRefOpen(afc_, path, mode, &ref), "AFCFileRefOpen"))
        return nullptr;
    return std::make_unique<AFCFileReference>(ref, afc_);
}

std::unique_ptr<AFCFileReference> AFCDirectoryAccess::openForRead(const QString &path)
{
    return openFile(path, AfcConnection::ReadOnly);
}
std::unique_ptr<AFCFileReference> AFCDirectoryAccess::openForWrite(const QString &path)
{
    return openFile(path, AfcConnection::WriteOnly);
}
std::unique_ptr<AFCFileReference> AFCDirectoryAccess::openForReadWrite(const QString &path)
{
    return openFile(path, AfcConnection::ReadWrite);
}

void AFCDirectoryAccess::post(const QString &state, QVariantMap &progress)
{
    progress.insert(QStringLiteral("CurState"), state);
    NotificationCenter::defaultCenter().post(state, this, progress);
}

bool AFCDirectoryAccess::copyDataToFiel(const QByteArray &data, const QString &remoteFile)
{
    if (!ready(remoteFile))
        return false;
    if (fileExistsAtPath(remoteFile)) {
        lasterror_ = QStringLiteral("Won't overwrite existing file");
        return false;
    }
    if (data.isNull()) {
        lasterror_ = QStringLiteral("NSData is empty");
        return false;
    }
    QVariantMap progress{{"Target", remoteFile}, {"FileSize", qint32(data.size())}, {"CurCopiedSize", 0},
                         {"TotalCopiedSize", 0}};
    post(kCopyBegin, progress);
    auto out = openForWrite(remoteFile);
    if (!out)
        return false;
    const bool written = out->writeNSData(data);
    progress["CurCopiedSize"] = written ? qint32(data.size()) : 0;
    progress["TotalCopiedSize"] = written ? qint32(data.size()) : 0;
    post(kCopyProgress, progress);
    out->closeFile();
    if (!written)
        lasterror_ = out->lasterror();
    return written;
}

bool AFCDirectoryAccess::upload(const std::function<qint64(char *, std::uint32_t)> &read, const QVariantMap &start,
                                const QString &remoteFile)
{
    QVariantMap progress = start;
    progress.insert(QStringLiteral("Target"), remoteFile);
    progress.insert(QStringLiteral("CurCopiedSize"), 0);
    progress.insert(QStringLiteral("TotalCopiedSize"), 0);
    post(kCopyBegin, progress);
    auto out = openForWrite(remoteFile);
    if (!out)
        return false;
    std::vector<char> buffer(kCopyStep);
    qint64 total = 0;
    bool ok = true;
    for (;;) {
        const qint64 n = read(buffer.data(), kCopyStep);
        if (n < 0) {
            ok = false; // the reader set the error text
            break;
        }
        if (n == 0)
            break;
        if (!out->writeN(std::uint32_t(n), buffer.data())) {
            // The device side failed (full, gone): stop rather than report
            // a complete copy.
            lasterror_ = out->lasterror();
            ok = false;
            break;
        }
        total += n;
        progress["CurCopiedSize"] = qint32(n);
        progress["TotalCopiedSize"] = qint32(total);
        post(kCopyProgress, progress);
    }
    out->closeFile();
    progress["CurCopiedSize"] = 0;
    progress["TotalCopiedSize"] = qint32(total);
    post(kCopyDone, progress);
    return ok;
}

bool AFCDirectoryAccess::copyLocalFileToRemoteFile(const QString &localFile, const QString &remoteFile)
{
    if (!ready(remoteFile) || !ready(localFile))
        return false;
    if (fileExistsAtPath(remoteFile)) {
        lasterror_ = QStringLiteral("Won't overwrite existing file");
        return false;
    }
    QFile in(localFile);
    if (!in.open(QIODevice::ReadOnly)) {
        lasterror_ = QStringLiteral("Can't open input file");
        return false;
    }
    return upload(
        [&](char *buffer, std::uint32_t length) {
            const qint64 n = in.read(buffer, length);
            if (n < 0)
                lasterror_ = QStringLiteral("Can't read input file");
            return n;
        },
        {{"Source", localFile}, {"FileSize", qint32(in.size())}}, remoteFile);
}

bool AFCDirectoryAccess::copyFile(const QString &from, AFCDirectoryAccess &source, const QString &to)
{
    if (!ready(to) || !source.ready(from)) {
        if (!source.lasterror_.isEmpty())
            lasterror_ = source.lasterror_;
        return false;
    }
    if (fileExistsAtPath(to)) {
        lasterror_ = QStringLiteral("Won't overwrite existing file");
        return false;
    }
    auto in = source.openForRead(from);
    if (!in) {
        lasterror_ = source.lasterror();
        return false;
    }
    const qint64 size = source.getFileInfo(from).toMap().value(QStringLiteral("st_size")).toLongLong();
    return upload(
        [&](char *buffer, std::uint32_t length) {
            const qint64 n = in->readN(length, buffer);
            if (n < 0)
                lasterror_ = in->lasterror();
            return n;
        },
        {{"Source", from}, {"FileSize", qint32(size)}}, to);
}

bool AFCDirectoryAccess::copyFileToFile(const QString &from, const QString &to) { return copyFile(from, *this, to); }

bool AFCDirectoryAccess::recursiveCopyFile(const QString &sourceFolder, AFCDirectoryAccess &source,
                                           const QString &targetFolder)
{
    if (!ready(sourceFolder) || !ready(targetFolder))
        return false;
    if (!fileExistsAtPath(targetFolder) && !mkdir(targetFolder))
        return false;
    for (const AMFileEntity &e : source.getItemInDirWithoutRootDir(sourceFolder)) {
        const QString target = targetFolder + QLatin1Char('/') + e.Name;
        if (e.FileType == 1)
            copyFile(e.FilePath, source, target);
        else if (e.FileType == 2)
            recursiveCopyFile(e.FilePath, source, target);
    }
    return true;
}

bool AFCDirectoryAccess::copyLocalFileToRemoteDir(const QString &localPath, const QString &remoteFolder)
{
    if (!ready(remoteFolder) || !ready(localPath))
        return false;
    const QFileInfo info(localPath);
    if (!info.exists() && !info.isSymLink()) {
        lasterror_ = QStringLiteral("Can't open input file");
        return false;
    }
    const QString target = remoteFolder + QLatin1Char('/') + info.fileName();
    if (info.isSymLink()) {
        // The link's own text (at most 1024 bytes), not where it leads.
        char text[1024];
        const ssize_t n = ::readlink(QFile::encodeName(localPath).constData(), text, sizeof text);
        if (n < 0) {
            lasterror_ = QStringLiteral("Can't open input file");
            return false;
        }
        return symlink(target, QFile::decodeName(QByteArray(text, int(n))));
    }
    if (!info.isDir())
        return copyLocalFileToRemoteFile(localPath, target);
    if (!mkdir(target))
        return false;
    const QStringList entries =
        QDir(localPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (!copyLocalFileToRemoteDir(localPath + QLatin1Char('/') + entry, target)) {
            std::fprintf(stderr, "failed on %s/%s: %s\n", localPath.toUtf8().constData(), entry.toUtf8().constData(),
                         lasterror_.toUtf8().constData());
            return false;
        }
    }
    return true;
}

QList<AMFileEntity> AFCDirectoryAccess::recursiveDirectoryContentsDics(const QString &path)
{
    QList<AMFileEntity> out;
    const QVariant all = recursiveDirectoryContents(path);
    for (const QString &p : all.toStringList()) {
        AMFileEntity e;
        e.FilePath = p;
        QMap<QString, QString> pairs;
        if (AFCFileInfoOpen(afc_, p, &pairs) == kSuccess) {
            e.FileSize = std::int32_t(pairs.value(QStringLiteral("st_size")).toLongLong());
            e.FileType = typeOf(pairs.value(QStringLiteral("st_ifmt")));
        }
        out << e;
    }
    return out;
}

bool AFCDirectoryAccess::download(const QString &remoteFile, const QString &localFile, bool withProgress)
{
    if (!ready(remoteFile))
        return false;
    if (localFile.isNull()) {
        lasterror_ = QStringLiteral("Input path is nil");
        return false;
    }
    if (QFileInfo::exists(localFile) || QFileInfo(localFile).isSymLink()) {
        lasterror_ = QStringLiteral("Won't overwrite existing file");
        return false;
    }
    auto in = openForRead(remoteFile);
    if (!in)
        return false;
    QVariantMap progress;
    if (withProgress) {
        const QVariantMap info = getFileInfo(remoteFile).toMap();
        progress = {{"Source", remoteFile}, {"Target", localFile},
                    {"FileSize", qint32(info.value(QStringLiteral("st_size")).toLongLong())},
                    {"CurCopiedSize", 0}, {"TotalCopiedSize", 0}};
        post(kCopyBegin, progress);
    }
    QFile out(localFile);
    // Unbuffered: every chunk goes straight to the file, with no second copy.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        lasterror_ = QStringLiteral("Can't open output file");
        in->closeFile();
        return false;
    }
    const std::uint32_t step = withProgress ? kCopyStep : kBulkBuffer;
    // Device reads keep their step size (and one notification each); the
    // local writes are gathered into large blocks, which the file system
    // takes far faster than 10,240-byte pieces.
    // One buffer per thread, kept between copies: a fresh megabyte per file
    // costs its page faults again every time.
    thread_local std::vector<char> buffer(kBulkBuffer);
    qint64 pending = 0;
    qint64 total = 0;
    bool ok = true;
    auto drain = [&] {
        if (pending > 0 && out.write(buffer.data(), pending) != pending) {
            lasterror_ = QStringLiteral("Can't write output file");
            ok = false;
        }
        pending = 0;
    };
    for (;;) {
        if (qint64(buffer.size()) - pending < step)
            drain();
        if (!ok)
            break;
        const qint64 n = in->readN(step, buffer.data() + pending);
        if (n < 0) {
            lasterror_ = in->lasterror(); // the device side failed or left
            ok = false;
            break;
        }
        if (n == 0)
            break; // the true end of the file
        pending += n;
        total += n;
        if (withProgress) {
            progress["CurCopiedSize"] = qint32(n);
            progress["TotalCopiedSize"] = qint32(total);
            post(kCopyProgress, progress);
        }
    }
    if (ok)
        drain();
    out.close();
    in->closeFile();
    if (ok)
        lasterror_.clear();
    else
        out.remove(); // a truncated copy must not look complete
    if (withProgress) {
        progress["CurCopiedSize"] = 0;
        progress["TotalCopiedSize"] = qint32(total);
        post(kCopyDone, progress);
    }
    return ok;
}

bool AFCDirectoryAccess::copyRemoteFileToLocalFile(const QString &remoteFile, const QString &localFile)
{
    return download(remoteFile, localFile, true);
}

bool AFCDirectoryAccess::copyRemoteFile1ToLocalFile(const QString &remoteFile, const QString &localFile)
{
    return download(remoteFile, localFile, false);
}

std::unique_ptr<AFCDirectoryAccess> AFCApplicationDirectory::open(const std::shared_ptr<AMDevice> &device,
                                                                 const QString &applicationId)
{
    auto service = AMService::serviceWithName(QStringLiteral("com.apple.mobile.house_arrest"), device);
    if (!service)
        return nullptr;
    const QVariantMap request{{QStringLiteral("Command"), QStringLiteral("VendContainer")},
                              {QStringLiteral("Identifier"), applicationId}};
    QVariant reply;
    if (service->sendXMLRequest(request))
        reply = service->readXMLReply();
    if (!reply.isValid()) {
        std::fprintf(stderr, "%s\n", service->lasterror().toUtf8().constData());
        return nullptr;
    }
    const QVariantMap answer = reply.toMap();
    if (answer.contains(QStringLiteral("Error"))) {
        std::fprintf(stderr, "House Arrest failed, %s\n",
                     answer.value(QStringLiteral("Error")).toString().toUtf8().constData());
        return nullptr;
    }
    AFCConnectionRef afc;
    if (AFCConnectionOpen(service->handle(), 0, &afc) != kSuccess) {
        std::fprintf(stderr, "AFCConnectionOpen failed: %d\n", int(kAfcNotConnected));
        return nullptr;
    }
    return std::unique_ptr<AFCDirectoryAccess>(new AFCApplicationDirectory(std::move(afc)));
}
