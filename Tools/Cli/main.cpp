// snapvale-cli: the headless front end.
//
//   snapvale-cli library <Photos.sqlite> --ios-version <version> [--json]

#include "LibraryListing.h"

#include <QCoreApplication>
#include <QJsonDocument>
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
    LibraryListing listing;
    QString error;
    if (!listing.load(path, version, &error)) {
        std::fprintf(stderr, "snapvale-cli: %s\n", error.toUtf8().constData());
        return 1;
    }
    const QByteArray out = json ? QJsonDocument(listing.toJson()).toJson(QJsonDocument::Indented)
                                : listing.toText().toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
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
