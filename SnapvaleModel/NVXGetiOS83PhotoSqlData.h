#pragma once

#include "FamilyPhotoSqlData.h"

// Query set of the device database of release 8.3.
using NVXGetiOS83PhotoSqlData = FamilyPhotoSqlData<&PhotoSqlSchema::ios83>;
