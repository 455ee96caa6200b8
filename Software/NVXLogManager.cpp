#include "NVXLogManager.h"

#include "AppFolders.h"
#include "NVXLogFileSink.h"

#include <QStringEncoder>

#include <spdlog/async_logger.h>
#include <spdlog/details/thread_pool.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// An error line waits at most this long for the logging thread; only a
// logging thread that is stuck (a hung file system) gets that far.
constexpr auto kBarrierTimeout = std::chrono::seconds(30);

spdlog::level::level_enum toSpdlog(NVXLogManager::Level level)
{
    switch (level) {
    case NVXLogManager::Level::Info:
        return spdlog::level::info;
    case NVXLogManager::Level::Warn:
        return spdlog::level::warn;
    case NVXLogManager::Level::Error:
        break;
    }
    return spdlog::level::err;
}

} // namespace

// The last sink of the logger: it counts the error lines and flush requests
// that the logging thread has finished (every sink before it has written, and
// for an error flushed, the line), so that their writers can stop waiting.
class NVXLogBarrierSink final : public spdlog::sinks::sink {
public:
    void log(const spdlog::details::log_msg &msg) override
    {
        if (msg.level == spdlog::level::err)
            pass();
    }
    void flush() override { pass(); }
    void set_pattern(const std::string &) override {}
    void set_formatter(std::unique_ptr<spdlog::formatter>) override {}

    bool waitFor(std::uint64_t ticket, std::chrono::steady_clock::duration timeout)
    {
        std::unique_lock lock(mutex_);
        return passed_cv_.wait_for(lock, timeout, [&] { return passed_ >= ticket; });
    }

private:
    void pass()
    {
        {
            std::lock_guard lock(mutex_);
            ++passed_;
        }
        passed_cv_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable passed_cv_;
    std::uint64_t passed_ = 0;
};

NVXLogManager &NVXLogManager::singleton()
{
    // Function-local static: creation is serialised by the language.
    static NVXLogManager manager([] {
        Options options;
        options.logsFolder = defaultLogsFolder();
        return options;
    }());
    return manager;
}

QString NVXLogManager::defaultLogsFolder() { return AppFolders::supportPath() + QStringLiteral("/LogsFolder"); }

NVXLogManager::NVXLogManager(Options options)
    : logsFolderPath_(options.logsFolder), ageCheckInterval_(options.ageCheckInterval)
{
    fileSink_ = std::make_shared<NVXLogFileSink>(options.logsFolder, options.clock, options.rules, options.names);
    logFilePath_ = fileSink_->currentFilePath();
    barrier_ = std::make_shared<NVXLogBarrierSink>();

    std::vector<spdlog::sink_ptr> sinks;
    if (options.console) {
        auto console = std::make_shared<spdlog::sinks::stdout_sink_base<spdlog::details::console_mutex>>(options.console);
        console->set_formatter(std::make_unique<NVXLogLineFormatter>());
        sinks.push_back(console);
    }
    sinks.push_back(fileSink_);
    sinks.push_back(barrier_); // must stay last

    // One worker thread: lines are written in the order they were queued.
    // A full queue makes the caller wait rather than drop lines.
    pool_ = std::make_shared<spdlog::details::thread_pool>(std::max<size_t>(options.queueSize, 16), 1);
    logger_ = std::make_shared<spdlog::async_logger>("snapvale", sinks.begin(), sinks.end(), pool_,
                                                     spdlog::async_overflow_policy::block);
    logger_->set_level(spdlog::level::trace);

    if (ageCheckInterval_.count() > 0)
        timer_ = std::thread([this] { timerLoop(); });
}

NVXLogManager::~NVXLogManager()
{
    {
        std::lock_guard lock(timerMutex_);
        stopping_ = true;
    }
    timerWake_.notify_all();
    if (timer_.joinable())
        timer_.join();
    flush();
    // The pool's destructor lets the worker finish the queue, then joins it.
    logger_.reset();
    pool_.reset();
}

void NVXLogManager::writeInfoLog(const QString &message) { write(Level::Info, message); }
void NVXLogManager::writeWarnLog(const QString &message) { write(Level::Warn, message); }
void NVXLogManager::writeErrorLog(const QString &message) { write(Level::Error, message); }

QString NVXLogManager::currentLogFilePath() const { return fileSink_->currentFilePath(); }

void NVXLogManager::setTap(Tap tap)
{
    std::lock_guard lock(tapMutex_);
    hasTap_.store(bool(tap), std::memory_order_release);
    tap_ = std::move(tap);
}

void NVXLogManager::write(Level level, const QString &message)
{
    if (hasTap_.load(std::memory_order_acquire)) {
        Tap tap;
        {
            std::lock_guard lock(tapMutex_);
            tap = tap_;
        }
        if (tap)
            tap(level, message);
    }

    // The message goes in as the raw payload: spdlog never parses it as a
    // format string. Short messages are converted on the stack.
    char stack[512];
    QByteArray heap;
    spdlog::string_view_t payload;
    if (message.size() * 3 <= qsizetype(sizeof stack)) {
        QStringEncoder toUtf8(QStringEncoder::Utf8);
        char *end = toUtf8.appendToBuffer(stack, message);
        payload = spdlog::string_view_t(stack, size_t(end - stack));
    } else {
        heap = message.toUtf8();
        payload = spdlog::string_view_t(heap.constData(), size_t(heap.size()));
    }

    if (level != Level::Error) {
        logger_->log(spdlog::source_loc{}, toSpdlog(level), payload);
        return;
    }
    std::uint64_t ticket;
    {
        std::lock_guard lock(barrierMutex_);
        ticket = ++ticketsTaken_;
        logger_->log(spdlog::source_loc{}, spdlog::level::err, payload);
    }
    waitForBarrier(ticket);
}

void NVXLogManager::flush()
{
    std::uint64_t ticket;
    {
        std::lock_guard lock(barrierMutex_);
        ticket = ++ticketsTaken_;
        logger_->flush();
    }
    waitForBarrier(ticket);
}

void NVXLogManager::waitForBarrier(std::uint64_t ticket)
{
    if (!barrier_->waitFor(ticket, kBarrierTimeout))
        std::fputs("log: the logging thread did not answer in time\n", stderr);
}

void NVXLogManager::timerLoop()
{
    std::unique_lock lock(timerMutex_);
    while (!stopping_) {
        if (timerWake_.wait_for(lock, ageCheckInterval_, [this] { return stopping_; }))
            break;
        lock.unlock();
        fileSink_->rollIfExpired();
        fileSink_->flush();
        lock.lock();
    }
}
