// Reading a large family-8.3 library: every query operation in-process, the
// whole `snapvale-cli library --json` run, and the sqlite3 shell running the
// same statements on the same file as the floor.
//
//   bench_library [--runs N] [--keep DIR]

#include "BenchUtil.h"
#include "LibraryDescription.h"
#include "NVXGetiOS83PhotoSqlData.h"
#include "NVXLogManager.h"
#include "PhotoLibraryGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 5;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = args.at(i + 1).toInt();
    // Keep the console quiet: the query sets log each query.
    NVXLogManager::singleton().setTap({});
    std::freopen("/dev/null", "w", stderr);

    QTemporaryDir tmp;
    const QString db = tmp.filePath("Photos.sqlite");
    const LibraryDescription d = LibraryDescription::generated("8.3", 10000, 30000, 10000, 40, 42);
    if (!PhotoLibraryGenerator::write(d, db)) {
        std::printf("could not generate the library\n");
        return 1;
    }
    std::printf("library: %lld assets, %lld albums (family 8.3), %d runs, medians\n",
                static_cast<long long>(d.assets.size()), static_cast<long long>(d.albums.size()), runs);

    using Q = NVXGetiOS83PhotoSqlData;
    NVXPhotoList albums;
    struct Op {
        const char *name;
        std::function<size_t()> run;
    } ops[] = {
        {"OueryCameraRollAlbum", [&] { return size_t(Q(db).OueryCameraRollAlbum()->size()); }},
        {"OueryPhotoStreamAlbum", [&] { return size_t(Q(db).OueryPhotoStreamAlbum()->size()); }},
        {"OueryPhotoLibraryAlbum", [&] { return size_t(Q(db).OueryPhotoLibraryAlbum()->size()); }},
        {"OueryOthersAlbum", [&] { albums = Q(db).OueryOthersAlbum(); return size_t(albums->size()); }},
        {"OueryImportAlbum(0)", [&] { return size_t(Q(db).OueryImportAlbum(0)->size()); }},
        {"OueryOthersPhoto (all albums)", [&] {
             size_t n = 0;
             for (const auto &a : *albums)
                 n += size_t(Q(db).OueryOthersPhoto(a->albumZpk)->size());
             return n;
         }},
        {"getPhotoLibraryZPK", [&] { return size_t(Q(db).getPhotoLibraryZPK() > 0); }},
    };
    for (const Op &op : ops) {
        size_t rows = 0;
        const double ms = bench::medianMs(runs, [&] { rows = op.run(); });
        std::printf("  %-32s %9.2f ms  (%zu rows)\n", op.name, ms, rows);
    }

    // The statements the listing runs, for the shell, with the album keys
    // filled in where the program binds them.
    const PhotoSqlSchema &s = Q::schema();
    const int roll = LibraryDescription::kCameraRollKey, stream = LibraryDescription::kPhotoStreamKey;
    const QString sqlFile = tmp.filePath("listing.sql");
    {
        QFile f(sqlFile);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        QTextStream out(&f);
        auto stmt = [&](const QString &sql) { out << sql << ";\n"; };
        stmt(PhotoSqlSchema::kCameraRollKey);
        stmt(PhotoSqlQuery::memberStatement(s, roll));
        stmt(PhotoSqlSchema::kPhotoStreamKey);
        stmt(PhotoSqlQuery::memberStatement(s, stream));
        stmt(PhotoSqlSchema::kPhotoStreamKey);
        stmt(PhotoSqlSchema::kCameraRollKey);
        stmt(PhotoSqlQuery::libraryStatement(s, roll, stream));
        stmt(s.albumsStatement);
        for (const auto &a : *albums)
            stmt(QString(s.albumPhotosStatement).replace("?", QString::number(a->albumZpk)));
    }
    std::vector<double> cli, shell;
    long cliRss = 0;
    for (int i = 0; i < runs; ++i) {
        const auto c = bench::runProcess(SNAPVALE_CLI_PATH, {"library", db, "--ios-version", "8.3", "--json"});
        const auto sh = bench::runProcess("sqlite3", {db}, sqlFile);
        if (c.status != 0 || sh.status != 0) {
            std::printf("a run failed (cli %d, sqlite3 %d)\n", c.status, sh.status);
            return 1;
        }
        cli.push_back(c.ms);
        shell.push_back(sh.ms);
        cliRss = std::max(cliRss, c.maxRssKb);
    }
    const double cliMs = bench::median(cli), shellMs = bench::median(shell);
    std::printf("  %-32s %9.2f ms\n", "snapvale-cli library --json", cliMs);
    std::printf("  %-32s %9.2f ms\n", "sqlite3 shell, same statements", shellMs);
    std::printf("  ratio cli / shell: %.2fx (target <= 1.5x)\n", cliMs / shellMs);
    std::printf("  peak memory of snapvale-cli: %.1f MB (target < 200 MB)\n", double(cliRss) / 1024.0);
    return 0;
}
