#pragma once

#include <QString>

#include <cstdint>

// One entry of a device listing.
struct AMFileEntity {
    std::uint32_t FileType = 0; // 1 file, 2 folder, 3 char device, 4 block device, 5 link, 0 unknown
    std::int32_t FileSize = 0;
    QString FilePath;           // full device path
    QString Name;               // last path component
};
