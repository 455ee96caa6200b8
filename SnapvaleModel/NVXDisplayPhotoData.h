#pragma once

#include "NVXPhotoData.h"

#include <QImage>
#include <QString>

// One row of a photo list or of the import picker: display strings and a
// check mark. Every setIsChecked() after construction posts "Change_Check"
// (object: this record) on the default notification centre, also when the
// value does not change, so that views can update their counters.
class NVXDisplayPhotoData {
public:
    static const QString kChangeCheck; // "Change_Check"

    explicit NVXDisplayPhotoData(bool checked = false);
    ~NVXDisplayPhotoData();
    NVXDisplayPhotoData(const NVXDisplayPhotoData &) = delete;
    NVXDisplayPhotoData &operator=(const NVXDisplayPhotoData &) = delete;

    bool isChecked() const { return isChecked_; }
    void setIsChecked(bool checked);

    QString displaySize;          // size text of the photo
    int photoSize = 0;            // file size in bytes
    QString timeString;           // time text of the photo
    NVXPhotoDataPtr displayBv;    // the photo this row shows (category views)
    QString imageName;            // import picker: local file name
    QString imageSizeString;      // import picker: size text of the file
    QString imagePath;            // import picker: local file path
    QImage displayImage;          // import picker: 54 x 54 cover
    int imageWidth = 0;
    int imageHeight = 0;

private:
    bool isChecked_ = false;
};
