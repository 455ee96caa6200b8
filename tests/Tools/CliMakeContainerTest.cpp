// `snapvale-cli make-container` end to end: the file it writes is the
// container an import would upload, of the kind the device takes, and a
// failure leaves no output file behind.

#include "CliProcess.h"
#include "MySyncThbumcreate.h"
#include "TempDir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

CliResult cli(const QStringList &args) { return runCli(SNAPVALE_CLI_PATH, args); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kUUID = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");

TEST(CliMakeContainer, WritesTheContainerOfTheDevicesKind)
{
    TempDir dir;
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString picture = dir.file("p.jpg");
    ASSERT_TRUE(image.save(picture, "JPEG"));
    const qint64 S = QFile(picture).size();

    const struct {
        QStringList device;
        bool compact;
    } cases[] = {
        {{}, false},
        {{"--family-code", "1003", "--ios-version", "6.1.3"}, true},
        {{"--family-code", "1003", "--ios-version", "4.3.5"}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device.join(' ').toStdString());
        const QString out = dir.file("container.bin");
        const CliResult r = cli(QStringList{"make-container", picture, "--uuid", kUUID} << c.device << QStringList{"-o", out});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QByteArray written = readAll(out);
        ASSERT_EQ(written.size(), S + (c.compact ? 41368 : 150640));

        MySyncThbumcreate generator(c.compact ? 1003 : 0, "6.1.3");
        MyPhotoOrAlbumInfo record;
        record.setPhotoName(picture);
        record.setPhotoUUID(kUUID);
        EXPECT_EQ(written, generator.createImageData(record));
    }
}

TEST(CliMakeContainer, FailsWithoutLeavingAFile)
{
    TempDir dir;
    const QString out = dir.file("container.bin");
    const CliResult missing = cli({"make-container", dir.file("missing.jpg"), "--uuid", kUUID, "-o", out});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("could not make the container")) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    const CliResult noOutput = cli({"make-container", dir.file("missing.jpg"), "--uuid", kUUID});
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_TRUE(noOutput.err.contains("usage: snapvale-cli library")) << noOutput.err.toStdString();
    EXPECT_TRUE(noOutput.err.contains("make-container")) << noOutput.err.toStdString();
}

}  // namespace
