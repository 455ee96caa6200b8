#pragma once

#include <QString>

#include <functional>
#include <mutex>

// The process-wide log facade through which every part writes its trace
// lines. Messages are written literally: their characters are never treated
// as format directives.
class NVXLogManager {
public:
    enum class Level { Info, Warn, Error };
    using Tap = std::function<void(Level, const QString &)>;

    static NVXLogManager &singleton();

    void writeInfoLog(const QString &message);
    void writeWarnLog(const QString &message);
    void writeErrorLog(const QString &message);

    // Installs a function that sees every line (tests use it to check the
    // lines a component writes); an empty function removes it.
    void setTap(Tap tap);

private:
    NVXLogManager() = default;
    void write(Level level, const QString &message);

    std::mutex mutex_;
    Tap tap_;
};
