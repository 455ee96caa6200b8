#pragma once

#include <QString>

// The capacity record the device overview shows.
class NVXDeviceData {
public:
    QString deviceName() const { return _deviceName; }
    void setDeviceName(const QString &name) { _deviceName = name; }
    qint64 currentCapacity() const { return _currentCapacity; }
    void setCurrentCapacity(qint64 bytes) { _currentCapacity = bytes; }
    qint64 availableCapacity() const { return _availableCapacity; }
    void setAvailableCapacity(qint64 bytes) { _availableCapacity = bytes; }
    qint64 totalCapacity() const { return _totalCapacity; }
    void setTotalCapacity(qint64 bytes) { _totalCapacity = bytes; }
    qint64 photoCapacity() const { return _photoCapacity; }
    void setPhotoCapacity(qint64 bytes) { _photoCapacity = bytes; }

private:
    QString _deviceName;
    qint64 _currentCapacity = 0;
    qint64 _availableCapacity = 0;
    qint64 _totalCapacity = 0;
    qint64 _photoCapacity = 0;
};
