// snapvale-cli: the headless front end.
//
//   snapvale-cli library <Photos.sqlite> --ios-version <version> [--json]
//   snapvale-cli make-container <picture> --uuid <UUID> [--family-code <N> --ios-version <version>] -o <file>
//   snapvale-cli describe-library --simulate <device folder> [-o <file>] [--delete-photo <key>]… [--delete-album <key>]…

#include "DescribeLibrary.h"
#include "LibraryListing.h"
#include "MySyncThbumcreate.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: snapvale-cli library <Photos.sqlite> --ios-version <version> [--json]\n"
                 "       snapvale-cli make-container <picture> --uuid <UUID> [--family-code <N> --ios-version <version>]"
                 " -o <file>\n"
                 "       snapvale-cli describe-library --simulate <device folder> [-o <file>] [--delete-photo <key>]..."
                 " [--delete-album <key>]...\n");
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

// Writes the thumbnail container an import would upload for the picture: the
// compact kind for family code 1003 on release 5 or later, the full one
// otherwise. The output file appears only when the whole container was
// written.
int makeContainer(const QStringList &args)
{
    QString picture, uuid, version, output;
    int familyCode = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == "--uuid" && hasValue) {
            uuid = args.at(++i);
        } else if (a == "--ios-version" && hasValue) {
            version = args.at(++i);
        } else if (a == "--family-code" && hasValue) {
            bool ok = false;
            familyCode = args.at(++i).toInt(&ok);
            if (!ok)
                return usage();
        } else if (a == "-o" && hasValue) {
            output = args.at(++i);
        } else if (a.startsWith("-") || !picture.isEmpty()) {
            return usage();
        } else {
            picture = a;
        }
    }
    if (picture.isEmpty() || uuid.isEmpty() || output.isEmpty())
        return usage();

    MySyncThbumcreate generator(familyCode, version);
    MyPhotoOrAlbumInfo record;
    record.setPhotoName(picture);
    record.setPhotoUUID(uuid);
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "snapvale-cli: cannot write %s: %s\n", output.toUtf8().constData(),
                     file.errorString().toUtf8().constData());
        return 1;
    }
    if (!generator.writeContainer(record, file) || !file.commit()) {
        std::fprintf(stderr, "snapvale-cli: could not make the container of %s\n", picture.toUtf8().constData());
        return 1;
    }
    return 0;
}

int describeLibrary(const QStringList &args)
{
    DescribeLibrary command;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (i + 1 >= args.size())
            return usage();
        const QString value = args.at(++i);
        bool ok = true;
        if (a == "--simulate")
            command.deviceFolder = value;
        else if (a == "-o")
            command.output = value;
        else if (a == "--delete-photo")
            command.deletePhotos << value.toInt(&ok);
        else if (a == "--delete-album")
            command.deleteAlbums << value.toInt(&ok);
        else
            ok = false;
        if (!ok)
            return usage();
    }
    if (command.deviceFolder.isEmpty())
        return usage();
    return command.run();
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
    if (verb == "make-container")
        return makeContainer(args);
    if (verb == "describe-library")
        return describeLibrary(args);
    return usage();
}
