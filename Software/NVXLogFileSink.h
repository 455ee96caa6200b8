#pragma once

#include "NVXLogFileRules.h"

#include <QDateTime>
#include <QString>

#include <spdlog/formatter.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/base_sink.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// One log line: the local time as "yyyy/MM/dd HH:mm:ss:SSS", two spaces, the
// message unchanged, then a line feed unless the message already ends with
// one. The message is copied byte for byte (UTF-8), never interpreted.
class NVXLogLineFormatter final : public spdlog::formatter {
public:
    NVXLogLineFormatter();
    void format(const spdlog::details::log_msg &msg, spdlog::memory_buf_t &dest) override;
    std::unique_ptr<spdlog::formatter> clone() const override;

private:
    spdlog::pattern_formatter stamp_;
};

// The log files of one logs folder.
//
// Files are named "log-XXXXXX.txt", XXXXXX being six upper-case hexadecimal
// characters taken from a new random UUID; a name already taken is never
// reused: another candidate is drawn until a free one is found (the file is
// created exclusively, so two writers cannot claim the same name).
//
// The current file is closed and a new one started right after the write that
// brings it to `maxFileSize` bytes or more, and before a write when it is
// `maxAgeSeconds` old (rollIfExpired() lets a timer apply the age rule
// between writes). After a new file is made, the closed files beyond the
// `keptClosedFiles` newest are deleted. Closed files are ordered by creation:
// the files this sink closed in the order it made them, after the log files
// that were already in the folder, which are ordered by modification time (a
// closed file is never written after the next one is made, so that is their
// creation order too). Other files in the folder are never touched.
//
// Each process start makes a new file; a folder that cannot be created or
// written loses the file lines (the failure is reported once on standard
// error) and a new file is tried again on the next line.
class NVXLogFileSink final : public spdlog::sinks::base_sink<std::mutex> {
public:
    using Clock = std::function<QDateTime()>;
    using NameSource = NVXLogNameSource;

    using Rules = NVXLogFileRules;

    // An empty clock reads the system clock; an empty name source draws from
    // new random UUIDs.
    NVXLogFileSink(const QString &folder, Clock clock = {}, Rules rules = {}, NameSource names = {});
    ~NVXLogFileSink() override;

    QString folder() const { return folder_; }
    // The file being written; empty while no file could be made.
    QString currentFilePath();
    // Starts a new file when the current one has reached its age limit.
    void rollIfExpired();

    // The first six characters of a new random UUID, upper-cased.
    static QString randomNameStem();

protected:
    void sink_it_(const spdlog::details::log_msg &msg) override;
    void flush_() override;

private:
    bool expired() const;
    void roll();
    bool openNewFile();
    void closeCurrent();
    void applyRetention();
    void reportOnce(const QString &what);

    const QString folder_;
    const Clock clock_;
    const Rules rules_;
    const NameSource names_;

    std::FILE *file_ = nullptr;
    QString path_;
    qint64 size_ = 0;
    QDateTime openedAt_;
    std::deque<QString> closed_; // oldest first
    bool failureReported_ = false;
};
