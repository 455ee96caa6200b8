#pragma once

#include <QList>
#include <QString>

// `snapvale-cli describe-library`: refreshes the working copy of a
// simulated device's photo database and writes the sync description an
// edit would deliver (binary, as the device receives it), with optional
// deletions. Nothing is written when the library cannot be read.
class DescribeLibrary {
public:
    QString deviceFolder;
    QString output = QStringLiteral("PhotoLibrary.plist");
    QList<int> deletePhotos;
    QList<int> deleteAlbums;

    // 0 on success; otherwise a message went to standard error.
    int run();
};
