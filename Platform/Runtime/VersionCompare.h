#pragma once

#include <QString>

// Numeric-aware comparison of version texts: runs of ASCII digits compare by
// numeric value (any length, leading zeros ignored), every other character by
// its UTF-16 code; when one text is a prefix of the other the shorter orders
// first. So "1.0.9" < "1.0.10" and "8.3" > "8.2.1".
class VersionCompare {
public:
    VersionCompare() = delete;

    // Answers <0, 0 or >0.
    static int compare(const QString &a, const QString &b);
};
