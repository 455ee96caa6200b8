#pragma once

#include "FamilyPhotoSqlData.h"

// Query set of the device database of release family 7.
using NVXGetIos7PhotoSqlData = FamilyPhotoSqlData<&PhotoSqlSchema::ios7>;
