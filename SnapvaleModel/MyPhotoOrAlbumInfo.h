#pragma once

#include <QString>

#include <mutex>

// A photo or album as the sync description and the device thumbnails need
// it: UUIDs as text, times in seconds since 1904-01-01 00:00:00. Every
// accessor is safe to use from several threads; each value is read and
// written whole.
class MyPhotoOrAlbumInfo {
public:
#define SNAPVALE_ATOMIC_FIELD(Type, name, Setter, init)                                            \
public:                                                                                            \
    Type name() const                                                                              \
    {                                                                                              \
        std::lock_guard lock(mutex_);                                                              \
        return name##_;                                                                            \
    }                                                                                              \
    void Setter(const Type &value)                                                                 \
    {                                                                                              \
        std::lock_guard lock(mutex_);                                                              \
        name##_ = value;                                                                           \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type name##_ = init;

    SNAPVALE_ATOMIC_FIELD(int, albumZpk, setAlbumZpk, 0)
    SNAPVALE_ATOMIC_FIELD(QString, albumName, setAlbumName, {}) // "Photo Library" for kind 1552
    SNAPVALE_ATOMIC_FIELD(QString, albumUUID, setAlbumUUID, {})
    SNAPVALE_ATOMIC_FIELD(int, albumKind, setAlbumKind, 0)     // 2, 1550 or 1552
    SNAPVALE_ATOMIC_FIELD(int, photoZpk, setPhotoZpk, 0)
    SNAPVALE_ATOMIC_FIELD(QString, photoUUID, setPhotoUUID, {})
    SNAPVALE_ATOMIC_FIELD(qint64, photoDate, setPhotoDate, 0)  // seconds since 1904-01-01
    SNAPVALE_ATOMIC_FIELD(QString, photoName, setPhotoName, {})
    SNAPVALE_ATOMIC_FIELD(QString, imagePath, setImagePath, {}) // local file being imported
    SNAPVALE_ATOMIC_FIELD(QString, imageUUID, setImageUUID, {})
    SNAPVALE_ATOMIC_FIELD(QString, thumbPath, setThumbPath, {})
    SNAPVALE_ATOMIC_FIELD(QString, thumbName, setThumbName, {}) // generated device thumbnail file
#undef SNAPVALE_ATOMIC_FIELD

private:
    mutable std::mutex mutex_;
};
