// The log facade under load: the cost of one writeInfoLog() call as its
// caller sees it (median and 99th percentile over every call), and the
// sustained rate at which lines reach the log file (from the first call until
// flush() confirms the last line is in the file), with 1 and 4 writing
// threads, with and without the standard-error echo (sent to /dev/null).
//
//   bench_log [--lines N]     N lines per writing thread (default 200000)

#include "BenchUtil.h"
#include "NVXLogManager.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
    double medianNs = 0;
    double p99Ns = 0;
    double linesPerSecond = 0;
};

Result run(int threads, int linesPerThread, bool console)
{
    QTemporaryDir folder;
    NVXLogManager::Options options;
    options.logsFolder = folder.path();
    options.console = console ? stderr : nullptr;
    NVXLogManager log(options);

    const QString message = QStringLiteral("Query correspond album photodata end, album 1550");
    for (int i = 0; i < 10000; ++i) // warm the queue, the file and the caches
        log.writeInfoLog(message);
    log.flush();

    std::vector<std::vector<double>> costs(static_cast<size_t>(threads), std::vector<double>(static_cast<size_t>(linesPerThread)));
    const auto start = Clock::now();
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t) {
            writers.emplace_back([&, t] {
                std::vector<double> &mine = costs[size_t(t)];
                for (int i = 0; i < linesPerThread; ++i) {
                    const auto before = Clock::now();
                    log.writeInfoLog(message);
                    mine[size_t(i)] = std::chrono::duration<double, std::nano>(Clock::now() - before).count();
                }
            });
        }
    }
    log.flush();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<double> all;
    all.reserve(size_t(threads) * size_t(linesPerThread));
    for (const auto &c : costs)
        all.insert(all.end(), c.begin(), c.end());
    Result r;
    r.medianNs = bench::median(all);
    std::nth_element(all.begin(), all.begin() + long(all.size() * 99 / 100), all.end());
    r.p99Ns = all[all.size() * 99 / 100];
    r.linesPerSecond = double(all.size()) / seconds;
    return r;
}

double timerOverheadNs()
{
    std::vector<double> t(100000);
    for (double &v : t) {
        const auto a = Clock::now();
        v = std::chrono::duration<double, std::nano>(Clock::now() - a).count();
    }
    return bench::median(t);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int lines = 200000;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf("--lines"); i > 0 && i + 1 < args.size())
        lines = std::max(1000, args.at(i + 1).toInt());
    // The echo of every line goes to standard error; keep it off the terminal.
    std::freopen("/dev/null", "w", stderr);

    std::printf("log facade: %d lines per thread, hardware threads %u, timer overhead %.0f ns (included)\n", lines,
                std::thread::hardware_concurrency(), timerOverheadNs());
    std::printf("%-8s %-22s %14s %14s %16s\n", "threads", "echo", "median ns", "p99 ns", "lines/s to file");
    for (const bool console : {false, true}) {
        for (const int threads : {1, 4}) {
            const Result r = run(threads, lines, console);
            std::printf("%-8d %-22s %14.0f %14.0f %16.0f\n", threads, console ? "stderr (/dev/null)" : "none",
                        r.medianNs, r.p99Ns, r.linesPerSecond);
        }
    }
    return 0;
}
