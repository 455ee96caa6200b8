// snapvale-simdevice: builds simulated device content for tests and demos.
//
//   snapvale-simdevice library --family F [--demo | --camera-roll N --library N --stream N --albums N]
//                              [--seed S] -o Photos.sqlite

#include "LibraryDescription.h"
#include "PhotoLibraryGenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: snapvale-simdevice library --family 5|6|7|8.0|8.3 [--demo | --camera-roll N --library N\n"
                 "                                  --stream N --albums N] [--seed S] -o Photos.sqlite\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() != "library")
        return usage();
    args.removeFirst();
    QString family = "8.3", out;
    bool demo = false;
    int counts[4] = {20, 20, 5, 4};
    quint32 seed = 1;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        auto next = [&](bool *ok) -> QString {
            *ok = i + 1 < args.size();
            return *ok ? args.at(++i) : QString();
        };
        bool ok = true;
        if (a == "--family") family = next(&ok);
        else if (a == "-o") out = next(&ok);
        else if (a == "--demo") demo = true;
        else if (a == "--camera-roll") counts[0] = next(&ok).toInt(&ok);
        else if (a == "--library") counts[1] = next(&ok).toInt(&ok);
        else if (a == "--stream") counts[2] = next(&ok).toInt(&ok);
        else if (a == "--albums") counts[3] = next(&ok).toInt(&ok);
        else if (a == "--seed") seed = next(&ok).toUInt(&ok);
        else ok = false;
        if (!ok)
            return usage();
    }
    for (int c : counts) {
        if (c < 0)
            return usage();
    }
    if (out.isEmpty())
        return usage();
    const LibraryDescription d = demo ? LibraryDescription::demo(family)
                                      : LibraryDescription::generated(family, counts[0], counts[1], counts[2],
                                                                      counts[3], seed);
    QString error;
    if (!PhotoLibraryGenerator::write(d, out, &error)) {
        std::fprintf(stderr, "snapvale-simdevice: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("%s: %lld assets, %lld albums, family %s\n", out.toUtf8().constData(),
                static_cast<long long>(d.assets.size()), static_cast<long long>(d.albums.size()),
                family.toUtf8().constData());
    return 0;
}
