// Thumbnail containers for camera-sized JPEGs (4032 x 3024, about 3 MB):
// the median time of one full container (read, decode once, five 16-bit
// thumbnails, trailer), next to two baselines run on the same files:
//
//   floor:  djpeg -scale 1/8, one reduced-size decode of the file, which any
//           correct container needs at the least;
//   convert: ImageMagick making the same five resized images.
//
// The container made from a full-size decode is shown too, for scale.
//
//   bench_container [--count N] [--runs R]

#include "BenchUtil.h"
#include "MySyncThbumcreate.h"
#include "NVXLogManager.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// A photograph-like picture: smooth light with fine grain, which JPEG at
// quality 92 stores in roughly the size of a camera's file.
QImage cameraPicture(unsigned seed)
{
    QImage image(4032, 3024, QImage::Format_RGB32);
    std::minstd_rand rng(seed);
    const double phase = double(seed % 97);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(rng() % 15) - 7;
            const int r = int(128 + 90 * std::sin((x + phase * 10) / 400.0)) + grain;
            const int g = int(128 + 90 * std::cos((y - phase * 7) / 350.0)) + grain;
            const int b = int(128 + 60 * std::sin((x + y) / 600.0 + phase)) + grain;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

// The real ImageMagick `convert`, or empty (a stand-in may come first on PATH).
QString imageMagickConvert()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/convert"), QStringLiteral("convert")}) {
        QProcess p;
        p.start(candidate, {"-version"});
        if (p.waitForFinished(10000) && p.exitCode() == 0 && p.readAllStandardOutput().contains("Version: ImageMagick"))
            return candidate;
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int count = 50;
    int runs = 3;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf("--count"); i > 0 && i + 1 < args.size())
        count = std::max(1, args.at(i + 1).toInt());
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(1, args.at(i + 1).toInt());
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The generator logs one line per container; keep the console quiet.
    std::freopen("/dev/null", "w", stderr);

    QTemporaryDir tmp;
    QStringList files;
    qint64 totalBytes = 0;
    for (int i = 0; i < count; ++i) {
        const QString path = tmp.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        if (!cameraPicture(unsigned(i + 1)).save(path, "JPEG", 92)) {
            std::printf("could not write %s\n", qPrintable(path));
            return 1;
        }
        totalBytes += QFile(path).size();
        files << path;
    }
    std::printf("%d JPEGs of 4032 x 3024, %.2f MB each on average; median of %d runs per file, then median over files\n",
                count, double(totalBytes) / count / 1e6, runs);

    const auto perFile = [&](const std::function<double(const QString &)> &one) {
        std::vector<double> medians;
        for (const QString &f : files) {
            std::vector<double> t;
            for (int r = 0; r < runs; ++r)
                t.push_back(one(f));
            medians.push_back(bench::median(t));
        }
        return bench::median(medians);
    };

    const auto container = [&](bool reduced) {
        MySyncThbumcreate generator(0, "8.1");
        generator.setAllowReducedDecode(reduced);
        return perFile([&](const QString &f) {
            MyPhotoOrAlbumInfo record;
            record.setPhotoName(f);
            record.setPhotoUUID("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
            QByteArray out;
            const double ms = bench::medianMs(1, [&] { out = generator.createImageData(record); });
            if (out.size() != QFile(f).size() + 150640)
                std::printf("container of %s has the wrong length %lld\n", qPrintable(f), static_cast<long long>(out.size()));
            return ms;
        });
    };

    const double ours = container(true);
    const double oursFull = container(false);
    const double floor = perFile([](const QString &f) {
        return bench::runProcess("djpeg", {"-scale", "1/8", "-outfile", "/dev/null", f}).ms;
    });
    std::printf("container (reduced-size decode)      %8.1f ms\n", ours);
    std::printf("container (full-size decode)         %8.1f ms\n", oursFull);
    std::printf("djpeg -scale 1/8 (floor)             %8.1f ms\n", floor);

    const QString convert = imageMagickConvert();
    if (convert.isEmpty()) {
        std::printf("ImageMagick convert                       n/a (not installed)\n");
    } else {
        const QString out = tmp.filePath("t");
        const double magick = perFile([&](const QString &f) {
            QStringList a{f};
            const char *sizes[] = {"79x78", "160x158", "169x168", "120x120", "32x32"};
            for (int i = 0; i < 5; ++i)
                a << "(" << "+clone" << "-resize" << QString(sizes[i]) + "^" << "-gravity" << "center" << "-extent"
                  << sizes[i] << "-write" << QStringLiteral("%1%2.bmp").arg(out).arg(i) << "+delete" << ")";
            a << "null:";
            return bench::runProcess(convert, a).ms;
        });
        std::printf("ImageMagick convert, five thumbnails %8.1f ms\n", magick);
    }
    std::printf("container / floor                    %8.2f x (target 1.5 x)\n", ours / floor);
    return 0;
}
