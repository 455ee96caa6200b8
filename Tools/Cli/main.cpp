// snapvale-cli: the headless front end.
//
//   snapvale-cli library <Photos.sqlite> --ios-version <version> [--json]

#include "LibraryListing.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: snapvale-cli library <Photos.sqlite> --ios-version <version> [--json]\n");
    return 2;
}

int library(const QStringList &args)
{
    QString path, version;
    bool json = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == "--json") {
            json = true;
        } else if (a == "--ios-version") {
            if (i + 1 >= args.size())
                return usage();
            version = args.at(++i);
        } else if (a.startsWith("--") || !path.isEmpty()) {
            return usage();
        } else {
            path = a;
        }
    }
    if (path.isEmpty() || version.isEmpty())
        return usage();
    // The listing lives until the process ends: tearing down tens of
    // thousands of records one by one would only delay the exit.
    auto *listing = new LibraryListing;
    QString error;
    if (!listing->load(path, version, &error)) {
        std::fprintf(stderr, "snapvale-cli: %s\n", error.toUtf8().constData());
        return 1;
    }
    bool written = false;
    if (json) {
        written = listing->writeJson(stdout);
    } else {
        const QByteArray text = listing->toText();
        written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
    }
    if (!written || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "snapvale-cli: could not write the listing\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString verb = args.takeFirst();
    if (verb == "library")
        return library(args);
    return usage();
}
