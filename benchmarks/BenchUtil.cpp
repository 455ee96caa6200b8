#include "BenchUtil.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

double medianMs(int runs, const std::function<void()> &fn)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        t.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return median(t);
}

ProcessRun runProcess(const QString &program, const QStringList &args, const QString &stdinFile,
                      const QString &stdoutFile)
{
    ProcessRun r;
    std::vector<QByteArray> store{program.toLocal8Bit()};
    for (const QString &a : args)
        store.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (auto &s : store)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    const QByteArray out = stdoutFile.toLocal8Bit();
    posix_spawn_file_actions_addopen(&fa, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    const QByteArray in = stdinFile.toLocal8Bit();
    if (!stdinFile.isEmpty())
        posix_spawn_file_actions_addopen(&fa, 0, in.constData(), O_RDONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&fa);
        return r;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.maxRssKb = usage.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&fa);
    return r;
}

} // namespace bench
