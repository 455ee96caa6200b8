#pragma once

#include "FamilyPhotoSqlData.h"

// Query set of the device database of releases 8.0 to 8.2 (and 8.4 and later).
using NVXGetiOS8PhotoSqlData = FamilyPhotoSqlData<&PhotoSqlSchema::ios8>;
