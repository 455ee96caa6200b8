#pragma once

#include "LibraryDescription.h"

#include <QString>

// Writes a device photo database (Photos.sqlite) for one release family
// from a LibraryDescription. The database is left in write-ahead-log mode
// with its "-shm" and "-wal" files present, as on a device: the last rows
// written live only in the log until someone checkpoints it.
class PhotoLibraryGenerator {
public:
    // Table numbering of a release family.
    struct Numbering {
        int albumEntity;   // the album entity number: join table Z_<n>ASSETS, column Z_<n>ALBUMS
        int assetEntity;   // the asset entity number: column Z_<n>ASSETS
    };
    static bool numberingFor(const QString &family, Numbering *out);

    // Writes `description` to `path` (replacing an existing database and its
    // journal files). False with a reason in `error` on failure.
    static bool write(const LibraryDescription &description, const QString &path, QString *error = nullptr);
};
