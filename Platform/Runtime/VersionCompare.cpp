#include "VersionCompare.h"

namespace {

bool isAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

} // namespace

int VersionCompare::compare(const QString &a, const QString &b)
{
    const qsizetype na = a.size();
    const qsizetype nb = b.size();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < na && j < nb) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            // Compare the two digit runs by value without converting them:
            // after the leading zeros, the longer run is the larger number,
            // and runs of equal length compare digit by digit.
            while (i < na && a[i] == u'0' && i + 1 < na && isAsciiDigit(a[i + 1]))
                ++i;
            while (j < nb && b[j] == u'0' && j + 1 < nb && isAsciiDigit(b[j + 1]))
                ++j;
            qsizetype ei = i;
            while (ei < na && isAsciiDigit(a[ei]))
                ++ei;
            qsizetype ej = j;
            while (ej < nb && isAsciiDigit(b[ej]))
                ++ej;
            const qsizetype la = ei - i;
            const qsizetype lb = ej - j;
            if (la != lb)
                return la < lb ? -1 : 1;
            for (; i < ei; ++i, ++j) {
                if (a[i] != b[j])
                    return a[i].unicode() < b[j].unicode() ? -1 : 1;
            }
            continue; // equal values: keep going after both runs
        }
        if (a[i] != b[j])
            return a[i].unicode() < b[j].unicode() ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < na)
        return 1;
    if (j < nb)
        return -1;
    return 0;
}
