#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Switches the process time zone for one scope and restores it afterwards.
// POSIX zone strings ("JST-9", "EST5EDT") need no zone database, so cases
// written with them hold on any machine.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *zone) : hadOld_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (hadOld_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    bool hadOld_;
    QByteArray old_;
};
