#include "MyGetIos6PhotoSqlData.h"

const PhotoSqlSchema &MyGetIos6PhotoSqlData::schemaFor(const QString &tag)
{
    return tag == QLatin1String("IOS5.0") ? PhotoSqlSchema::ios5() : PhotoSqlSchema::ios6();
}
