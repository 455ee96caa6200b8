#pragma once

#include "NVXLogFileRules.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class NVXLogBarrierSink;
class NVXLogFileSink;
namespace spdlog {
class async_logger;
namespace details {
class thread_pool;
}
} // namespace spdlog

// The log facade through which every part writes its trace lines.
//
// Information and warning lines are queued and written by the facade's own
// logging thread in call order; the caller does not wait. An error line is
// queued behind them and the call returns once it is in the file (and on the
// console), so the file keeps call order and an error survives a crash that
// follows it. Every line also goes to standard error. Messages are written
// literally: "%@", "%d" or "{}" in a message are text, not format directives.
//
// No line is ever dropped: when the logging thread falls a whole queue
// (Options::queueSize lines) behind, writers wait for room. Information lines
// sit in the file buffer until an error line, flush() or the facade's timer
// (every ageCheckInterval, which also applies the age rule) pushes them out.
//
// The process-wide facade, singleton(), writes into the application support
// folder's "LogsFolder" with the system clock. Tests and tools make their own
// facade on another folder with an injected clock.
class NVXLogManager {
public:
    enum class Level { Info, Warn, Error };
    using Tap = std::function<void(Level, const QString &)>;
    using Clock = std::function<QDateTime()>;

    struct Options {
        QString logsFolder;
        // Time for the age rule of the log files; empty: the system clock.
        Clock clock;
        // Where every line is echoed; nullptr: nowhere.
        std::FILE *console = stderr;
        NVXLogFileRules rules;
        // How often the age of the current file is checked (and buffered
        // lines are pushed to the file) between writes.
        std::chrono::milliseconds ageCheckInterval{1000};
        // Candidate file name stems; empty: random.
        NVXLogNameSource names;
        // Lines the queue holds before callers wait for the logging thread.
        size_t queueSize = 8192;
    };

    static NVXLogManager &singleton();
    // The logs folder of singleton(): application support folder + "/LogsFolder".
    static QString defaultLogsFolder();

    explicit NVXLogManager(Options options);
    // Writes every line still queued, then stops the logging thread.
    ~NVXLogManager();
    NVXLogManager(const NVXLogManager &) = delete;
    NVXLogManager &operator=(const NVXLogManager &) = delete;

    void writeInfoLog(const QString &message);
    void writeWarnLog(const QString &message);
    void writeErrorLog(const QString &message);

    // The file current when the facade was made (empty if none could be made).
    QString logFilePath() const { return logFilePath_; }
    QString logsFolderPath() const { return logsFolderPath_; }
    // The file being written now (changes when the files roll).
    QString currentLogFilePath() const;

    // Returns once every line written before the call is in the file.
    void flush();

    // Installs a function that sees every line on the writer's thread before
    // it is queued (tests use it to check the lines a component writes); an
    // empty function removes it.
    void setTap(Tap tap);

private:
    void write(Level level, const QString &message);
    void waitForBarrier(std::uint64_t ticket);
    void timerLoop();

    QString logsFolderPath_;
    QString logFilePath_;
    std::shared_ptr<NVXLogFileSink> fileSink_;
    std::shared_ptr<NVXLogBarrierSink> barrier_;
    std::shared_ptr<spdlog::details::thread_pool> pool_;
    std::shared_ptr<spdlog::async_logger> logger_;

    // Errors and flush requests take a ticket and are queued under this
    // mutex, so ticket order is queue order.
    std::mutex barrierMutex_;
    std::uint64_t ticketsTaken_ = 0;

    std::atomic<bool> hasTap_{false};
    std::mutex tapMutex_;
    Tap tap_;

    std::chrono::milliseconds ageCheckInterval_;
    std::mutex timerMutex_;
    std::condition_variable timerWake_;
    bool stopping_ = false;
    std::thread timer_;
};
