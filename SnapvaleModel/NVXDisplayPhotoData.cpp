#include "NVXDisplayPhotoData.h"

#include "NotificationCenter.h"

const QString NVXDisplayPhotoData::kChangeCheck = QStringLiteral("Change_Check");

// The initial value is set before the record announces changes, so
// construction posts nothing.
NVXDisplayPhotoData::NVXDisplayPhotoData(bool checked) : isChecked_(checked) {}

// The record registers nothing with the centre, so nothing is left behind.
NVXDisplayPhotoData::~NVXDisplayPhotoData() = default;

void NVXDisplayPhotoData::setIsChecked(bool checked)
{
    isChecked_ = checked;
    NotificationCenter::defaultCenter().post(kChangeCheck, this);
}
