#pragma once

#include "AFCFileReference.h"
#include "AMDevice.h"
#include "AMFileEntity.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>

// One open file-service connection of a device: file information,
// listings, folders, renames, remote files, and whole-file copies in both
// directions. Copies never overwrite a target; the copies with progress
// post "AFCFileCopyBegin", "AFCFileCopyProgress" (one per 10,240-byte step)
// and "AFCFileCopyDone" on the default notification centre, synchronously
// on the copying thread, with this object as the sender.
//
// A copy whose device side fails midway (a failed read or write, the device
// leaving) stops there: "AFCFileCopyDone" is still posted with the bytes
// processed, the copy answers false with a last-error text, and a download
// removes its partial local file, so no truncated file looks complete.
class AFCDirectoryAccess {
public:
    static const QString kCopyBegin;    // "AFCFileCopyBegin"
    static const QString kCopyProgress; // "AFCFileCopyProgress"
    static const QString kCopyDone;     // "AFCFileCopyDone"
    static constexpr std::uint32_t kCopyStep = 10240;
    static constexpr std::uint32_t kBulkBuffer = 1024000;

    // Starts the named file service on the device and opens its connection;
    // nullptr on failure.
    static std::unique_ptr<AFCDirectoryAccess> open(const std::shared_ptr<AMDevice> &device,
                                                    const QString &serviceName);
    virtual ~AFCDirectoryAccess();
    AFCDirectoryAccess(const AFCDirectoryAccess &) = delete;
    AFCDirectoryAccess &operator=(const AFCDirectoryAccess &) = delete;

    void close();
    bool isOpen() const { return afc_ != nullptr; }
    QString lasterror() const { return lasterror_; }

    // Key-value pairs for the path (numbers where the text is all digits)
    // plus "path"; an invalid variant on failure.
    QVariant getFileInfo(const QString &path);
    bool fileExistsAtPath(const QString &path);
    QVariant deviceInfo();
    QVariant directoryContents(const QString &path);           // QStringList or invalid
    QList<AMFileEntity> getItemInDirectory(const QString &path);
    QList<AMFileEntity> getItemInDirWithoutRootDir(const QString &path);
    QVariant recursiveDirectoryContents(const QString &path);  // sorted QStringList or invalid
    bool mkdir(const QString &path);
    bool unlink(const QString &path);
    bool unlinkFolder(const QString &path);
    bool rename(const QString &from, const QString &to);
    bool symlink(const QString &path, const QString &target);
    bool link(const QString &path, const QString &target);
    // Sets the modification time (nanoseconds since 1970).
    bool setmodtime(const QString &path, std::uint64_t nanoseconds);

    std::unique_ptr<AFCFileReference> openForRead(const QString &path);
    std::unique_ptr<AFCFileReference> openForWrite(const QString &path);
    std::unique_ptr<AFCFileReference> openForReadWrite(const QString &path);

    bool copyDataToFiel(const QByteArray &data, const QString &remoteFile);
    bool copyLocalFileToRemoteFile(const QString &localFile, const QString &remoteFile);
    bool copyRemoteFileToLocalFile(const QString &remoteFile, const QString &localFile);
    // Without progress, with one large buffer: the photo database,
    // thumbnails and full-size pictures.
    bool copyRemoteFile1ToLocalFile(const QString &remoteFile, const QString &localFile);

    // Device file to device file: on this connection, or read from `source`
    // and written here. Never overwrites; progress as for uploads.
    bool copyFileToFile(const QString &from, const QString &to);
    bool copyFile(const QString &from, AFCDirectoryAccess &source, const QString &to);
    // A folder tree from `source` into `targetFolder` here (made when
    // missing); files and folders only.
    bool recursiveCopyFile(const QString &sourceFolder, AFCDirectoryAccess &source, const QString &targetFolder);
    // A computer file or folder tree into a device folder; a symbolic link
    // becomes a device link with the same text.
    bool copyLocalFileToRemoteDir(const QString &localPath, const QString &remoteFolder);
    // One entity (path, size, type) per path of the recursive listing.
    QList<AMFileEntity> recursiveDirectoryContentsDics(const QString &path);

    // Turns the service's text pairs into values: all-digit texts (the
    // empty text included) become numbers, others stay text.
    static QVariantMap parseKeyValues(const QMap<QString, QString> &pairs);

protected:
    explicit AFCDirectoryAccess(AFCConnectionRef afc) : afc_(std::move(afc)) {}
    friend class AFCApplicationDirectory;

private:
    bool ready(const QString &path);
    // A link at `path` to `target`: type 1 hard, 2 symbolic.
    bool makeLink(std::uint64_t type, const QString &path, const QString &target);
    bool check(std::uint32_t status, const char *call);
    std::unique_ptr<AFCFileReference> openFile(const QString &path, std::uint64_t mode);
    bool download(const QString &remoteFile, const QString &localFile, bool withProgress);
    // Streams an open source into a new device file with progress.
    bool upload(const std::function<qint64(char *, std::uint32_t)> &read, const QVariantMap &start,
                const QString &remoteFile);
    void post(const QString &state, QVariantMap &progress);
    bool collectRecursive(const QString &path, QStringList *out);

    AFCConnectionRef afc_;
    QString lasterror_;
};

// The media area ("com.apple.afc"), where the photo library lives.
class AFCMediaDirectory : public AFCDirectoryAccess {
public:
    static std::unique_ptr<AFCDirectoryAccess> open(const std::shared_ptr<AMDevice> &device)
    {
        return AFCDirectoryAccess::open(device, QStringLiteral("com.apple.afc"));
    }
};

// The whole file system of a jailbroken device ("com.apple.afc2").
class AFCRootDirectory : public AFCDirectoryAccess {
public:
    static std::unique_ptr<AFCDirectoryAccess> open(const std::shared_ptr<AMDevice> &device)
    {
        return AFCDirectoryAccess::open(device, QStringLiteral("com.apple.afc2"));
    }
};

// The crash-log area ("com.apple.crashreportcopymobile").
class AFCCrashLogDirectory : public AFCDirectoryAccess {
public:
    static std::unique_ptr<AFCDirectoryAccess> open(const std::shared_ptr<AMDevice> &device)
    {
        return AFCDirectoryAccess::open(device, QStringLiteral("com.apple.crashreportcopymobile"));
    }
};

// The container of one application, vended by "com.apple.mobile.house_arrest".
class AFCApplicationDirectory : public AFCDirectoryAccess {
public:
    static std::unique_ptr<AFCDirectoryAccess> open(const std::shared_ptr<AMDevice> &device,
                                                    const QString &applicationId);

private:
    using AFCDirectoryAccess::AFCDirectoryAccess;
};
