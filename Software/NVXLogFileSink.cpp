#include "NVXLogFileSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A file name stem drawn this many times without finding a free name means
// the name source is broken (random stems collide once in millions).
constexpr int kMaxNameAttempts = 1000;
constexpr size_t kFileBufferBytes = 64 * 1024;

const QRegularExpression &logFileName()
{
    static const QRegularExpression re(QStringLiteral("^log-[0-9A-F]{6}\\.txt$"));
    return re;
}

bool validStem(const QString &stem)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-F]{6}$"));
    return re.match(stem).hasMatch();
}

} // namespace

// ---- NVXLogLineFormatter ---------------------------------------------------

NVXLogLineFormatter::NVXLogLineFormatter()
    : stamp_("%Y/%m/%d %H:%M:%S:%e  %v", spdlog::pattern_time_type::local, std::string())
{
}

void NVXLogLineFormatter::format(const spdlog::details::log_msg &msg, spdlog::memory_buf_t &dest)
{
    stamp_.format(msg, dest);
    if (msg.payload.size() == 0 || msg.payload.data()[msg.payload.size() - 1] != '\n')
        dest.push_back('\n');
}

std::unique_ptr<spdlog::formatter> NVXLogLineFormatter::clone() const
{
    return std::make_unique<NVXLogLineFormatter>();
}

// ---- NVXLogFileSink --------------------------------------------------------

NVXLogFileSink::NVXLogFileSink(const QString &folder, Clock clock, Rules rules, NameSource names)
    : spdlog::sinks::base_sink<std::mutex>(std::make_unique<NVXLogLineFormatter>()),
      folder_(folder),
      clock_(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); })),
      rules_(rules),
      names_(names ? std::move(names) : NameSource(&NVXLogFileSink::randomNameStem))
{
    QDir().mkpath(folder_);

    // The log files of earlier runs are closed files, oldest first.
    QFileInfoList earlier;
    const QFileInfoList entries = QDir(folder_).entryInfoList({QStringLiteral("log-*.txt")}, QDir::Files);
    for (const QFileInfo &info : entries) {
        if (logFileName().match(info.fileName()).hasMatch())
            earlier << info;
    }
    std::stable_sort(earlier.begin(), earlier.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const qint64 ta = a.lastModified().toMSecsSinceEpoch();
        const qint64 tb = b.lastModified().toMSecsSinceEpoch();
        return ta != tb ? ta < tb : a.fileName() < b.fileName();
    });
    for (const QFileInfo &info : earlier)
        closed_.push_back(info.filePath());

    std::lock_guard lock(mutex_);
    openNewFile();
}

NVXLogFileSink::~NVXLogFileSink()
{
    std::lock_guard lock(mutex_);
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

QString NVXLogFileSink::currentFilePath()
{
    std::lock_guard lock(mutex_);
    return path_;
}

void NVXLogFileSink::rollIfExpired()
{
    std::lock_guard lock(mutex_);
    if (file_ && expired())
        roll();
}

QString NVXLogFileSink::randomNameStem()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).left(6).toUpper();
}

void NVXLogFileSink::sink_it_(const spdlog::details::log_msg &msg)
{
    if (file_ && expired())
        roll();
    if (!file_ && !openNewFile())
        return;

    spdlog::memory_buf_t line;
    formatter_->format(msg, line);
    const size_t written = std::fwrite(line.data(), 1, line.size(), file_);
    size_ += qint64(written);
    if (written != line.size())
        reportOnce(QStringLiteral("could not write to the log file %1: %2")
                       .arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    // An error line must be in the file when its writer goes on.
    if (msg.level >= spdlog::level::err)
        std::fflush(file_);
    if (size_ >= rules_.maxFileSize)
        roll();
}

void NVXLogFileSink::flush_()
{
    if (file_)
        std::fflush(file_);
}

bool NVXLogFileSink::expired() const
{
    const QDateTime now = clock_();
    return openedAt_.isValid() && now.isValid() && openedAt_.msecsTo(now) >= rules_.maxAgeSeconds * 1000;
}

void NVXLogFileSink::roll()
{
    closeCurrent();
    openNewFile();
}

void NVXLogFileSink::closeCurrent()
{
    if (!file_)
        return;
    std::fclose(file_);
    file_ = nullptr;
    closed_.push_back(path_);
    path_.clear();
}

bool NVXLogFileSink::openNewFile()
{
    if (folder_.isEmpty()) {
        reportOnce(QStringLiteral("no logs folder: lines go to the console only"));
        return false;
    }
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const QString stem = names_();
        if (!validStem(stem))
            continue;
        const QString path = folder_ + QStringLiteral("/log-") + stem + QStringLiteral(".txt");
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue; // name taken: draw another one
            reportOnce(QStringLiteral("could not create a log file in %1: %2")
                           .arg(folder_, QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        std::FILE *file = ::fdopen(fd, "w");
        if (!file) {
            ::close(fd);
            QFile::remove(path);
            reportOnce(QStringLiteral("could not open the log file %1").arg(path));
            return false;
        }
        std::setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
        file_ = file;
        path_ = path;
        size_ = 0;
        openedAt_ = clock_();
        failureReported_ = false;
        applyRetention();
        return true;
    }
    reportOnce(QStringLiteral("no free log file name found in %1").arg(folder_));
    return false;
}

void NVXLogFileSink::applyRetention()
{
    const size_t keep = size_t(std::max(0, rules_.keptClosedFiles));
    while (closed_.size() > keep) {
        QFile::remove(closed_.front()); // already gone is fine
        closed_.pop_front();
    }
}

void NVXLogFileSink::reportOnce(const QString &what)
{
    if (failureReported_)
        return;
    failureReported_ = true;
    const QByteArray line = what.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}
