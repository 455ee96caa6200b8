#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of the command-line tool: exit status (-1 when it crashed or did
// not end within a minute) and what it wrote.
struct CliResult {
    int status = -1;
    QByteArray out, err;
};

inline CliResult runCli(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    CliResult r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
