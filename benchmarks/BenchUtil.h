#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Small timing harness shared by the benchmarks.
namespace bench {

double median(std::vector<double> v);
// Runs `fn` `runs` times and answers the median wall time in milliseconds.
double medianMs(int runs, const std::function<void()> &fn);

struct ProcessRun {
    double ms = 0;          // wall time
    long maxRssKb = 0;      // peak resident memory of the child
    int status = -1;
};
// Runs a program with its standard output sent to /dev/null (or to
// `stdoutFile`) and standard input from `stdinFile` when given.
ProcessRun runProcess(const QString &program, const QStringList &args, const QString &stdinFile = {},
                      const QString &stdoutFile = "/dev/null");

} // namespace bench
