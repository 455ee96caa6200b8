#pragma once

#include <QString>

class NVXIPod;

// The working folder of a device record: "Session/<serial number>" in the
// application support folder, made empty when the record is made.
//
// The serial number comes from the device and is not trusted: one that is
// empty, "." or "..", holds a path separator, a NUL or other control
// characters, or is unreasonably long gets no folder (sessionFolderPath()
// answers a null string), so a device cannot make the program create or
// delete anything outside "Session".
class NVXSession {
public:
    // Computes the folder of the record's serial number, removes whatever is
    // there and makes the folder (errors ignored).
    NVXSession(NVXIPod *iPod, const QString &serialNumber);

    // The folder path; null for an unusable serial number.
    QString sessionFolderPath() const { return folder_; }
    NVXIPod *iPod() const { return iPod_; }

    // Whether a device's serial number may name a folder.
    static bool isUsableFolderName(const QString &serialNumber);
    // The application support folder + "/Session".
    static QString sessionsRoot();

private:
    NVXIPod *iPod_;
    QString folder_;
};
