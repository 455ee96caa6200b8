#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// When log files roll over and how many closed ones are kept.
struct NVXLogFileRules {
    qint64 maxFileSize = 5242880;  // bytes; checked after each write
    qint64 maxAgeSeconds = 604800; // 7 days; checked before each write and by a timer
    int keptClosedFiles = 5;
};

// Candidates for the six hexadecimal characters of a new log file name.
using NVXLogNameSource = std::function<QString()>;
