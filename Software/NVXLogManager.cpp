#include "NVXLogManager.h"

#include <cstdio>

NVXLogManager &NVXLogManager::singleton()
{
    static NVXLogManager manager;
    return manager;
}

void NVXLogManager::writeInfoLog(const QString &message) { write(Level::Info, message); }
void NVXLogManager::writeWarnLog(const QString &message) { write(Level::Warn, message); }
void NVXLogManager::writeErrorLog(const QString &message) { write(Level::Error, message); }

void NVXLogManager::setTap(Tap tap)
{
    std::lock_guard lock(mutex_);
    tap_ = std::move(tap);
}

void NVXLogManager::write(Level level, const QString &message)
{
    Tap tap;
    {
        std::lock_guard lock(mutex_);
        tap = tap_;
    }
    if (tap)
        tap(level, message);
    QByteArray line = message.toUtf8();
    if (!line.endsWith('\n'))
        line.append('\n');
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}
