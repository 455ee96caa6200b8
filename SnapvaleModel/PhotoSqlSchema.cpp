#include "PhotoSqlSchema.h"

namespace {

// Selected columns of the category queries. Families 5/6 and 7/8 differ only
// in the thirteenth column (title against kind subtype). Columns that no
// record takes are part of the statement text all the same.
const QString kC56 = QStringLiteral(
    "SELECT a.ZSAVEDASSETTYPE,a.ZTHUMBNAILINDEX,a.ZDATECREATED,a.ZMODIFICATIONDATE,a.ZUNIFORMTYPEIDENTIFIER,"
    "b.ZEMBEDDEDTHUMBNAILHEIGHT,b.ZEMBEDDEDTHUMBNAILLENGTH,b.ZEMBEDDEDTHUMBNAILOFFSET,b.ZEMBEDDEDTHUMBNAILWIDTH,"
    "b.ZORIGINALORIENTATION,a.ZDIRECTORY,a.ZFILENAME,a.ZTITLE,b.ZORIGINALFILESIZE,b.ZORIGINALHEIGHT,"
    "b.ZORIGINALWIDTH,a.Z_PK,a.ZUUID,a.ZKIND ");
const QString kC78 = QStringLiteral(
    "SELECT a.ZSAVEDASSETTYPE,a.ZTHUMBNAILINDEX,a.ZDATECREATED,a.ZMODIFICATIONDATE,a.ZUNIFORMTYPEIDENTIFIER,"
    "b.ZEMBEDDEDTHUMBNAILHEIGHT,b.ZEMBEDDEDTHUMBNAILLENGTH,b.ZEMBEDDEDTHUMBNAILOFFSET,b.ZEMBEDDEDTHUMBNAILWIDTH,"
    "b.ZORIGINALORIENTATION,a.ZDIRECTORY,a.ZFILENAME,a.ZKINDSUBTYPE,b.ZORIGINALFILESIZE,b.ZORIGINALHEIGHT,"
    "b.ZORIGINALWIDTH,a.Z_PK,a.ZUUID,a.ZKIND ");

const QString kEndLowerQuery = QStringLiteral("query correspond album photodata end");
const QString kEndUpperQuery = QStringLiteral("Query correspond album photodata end");

PhotoSqlSchema make5()
{
    PhotoSqlSchema s;
    s.family = 5;
    s.joinTable = "Z_6ASSETS";
    s.albumColumn = "Z_6ALBUMS";
    s.assetColumn = "Z_11ASSETS";
    s.columnList = kC56;
    s.membershipClause = "WHERE a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK IN (SELECT Z_11ASSETS FROM Z_6ASSETS";
    s.exclusionClause = "WHERE a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK NOT IN (SELECT Z_11ASSETS FROM Z_6ASSETS";
    s.albumPrefix = "Z_6ALBUMS=";
    s.albumsStatement =
        "SELECT A1.Z_PK,COUNT(A2.Z_6ALBUMS) PHOTOCOUNTS,A1.ZUUID,ZTITLE,ZKIND FROM ZGENERICALBUM A1 LEFT JOIN  "
        "Z_6ASSETS A2 ON A1.Z_PK=A2.Z_6ALBUMS WHERE ZKIND=2 OR ZKIND=1550 GROUP BY A1.Z_PK";
    s.importAlbumsStatement =
        "SELECT A1.Z_PK,COUNT(A2.Z_6ALBUMS) PHOTOCOUNTS,A1.ZUUID,ZTITLE,ZKIND FROM ZGENERICALBUM A1 LEFT JOIN  "
        "Z_6ASSETS A2 ON A1.Z_PK=A2.Z_6ALBUMS WHERE ZKIND=1550 AND A1.Z_PK>? GROUP BY A1.Z_PK";
    // Inner joins: an asset without an additional-attributes row is not listed.
    s.albumPhotosStatement =
        "select Z_6ASSETS.Z_6ALBUMS,Z_6ASSETS.Z_11ASSETS,ZGENERICASSET.ZHEIGHT,ZGENERICASSET.ZWIDTH,"
        "ZGENERICASSET.ZDATECREATED,ZGENERICASSET.ZMODIFICATIONDATE,ZGENERICASSET.ZDIRECTORY,ZGENERICASSET.ZTITLE,"
        "ZGENERICASSET.ZFILENAME,ZGENERICASSET.ZKIND,ZGENERICASSET.ZUUID,ZADDITIONALASSETATTRIBUTES.ZORIGINALFILESIZE,"
        "ZADDITIONALASSETATTRIBUTES.ZORIGINALORIENTATION from ZGENERICASSET join Z_6ASSETS on "
        "Z_6ASSETS.Z_11ASSETS=ZGENERICASSET.Z_PK join ZADDITIONALASSETATTRIBUTES on "
        "ZGENERICASSET.Z_PK=ZADDITIONALASSETATTRIBUTES.ZASSET WHERE Z_6ALBUMS=?";
    s.albumPhotosEndLine = kEndLowerQuery;
    return s;
}

PhotoSqlSchema make6()
{
    PhotoSqlSchema s;
    s.family = 6;
    s.joinTable = "Z_8ASSETS";
    s.albumColumn = "Z_8ALBUMS";
    s.assetColumn = "Z_14ASSETS";
    s.columnList = kC56;
    s.membershipClause = "WHERE a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK IN (SELECT Z_14ASSETS FROM Z_8ASSETS";
    s.exclusionClause = "WHERE a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK NOT IN (SELECT Z_14ASSETS FROM Z_8ASSETS";
    s.albumPrefix = "Z_8ALBUMS=";
    s.albumsStatement =
        "SELECT A1.Z_PK,COUNT(A2.Z_8ALBUMS) PHOTOCOUNTS,A1.ZUUID,A1.ZKIND,A1.ZTITLE FROM ZGENERICALBUM A1 LEFT JOIN "
        "Z_8ASSETS A2 ON A1.Z_PK=A2.Z_8ALBUMS WHERE ZKIND=2 OR ZKIND=1550 GROUP BY A1.Z_PK";
    s.importAlbumsStatement =
        "SELECT A1.Z_PK,COUNT(A2.Z_8ALBUMS) PHOTOCOUNTS,A1.ZUUID,A1.ZKIND,A1.ZTITLE FROM ZGENERICALBUM A1 LEFT JOIN "
        "Z_8ASSETS A2 ON A1.Z_PK=A2.Z_8ALBUMS WHERE ZKIND=1550 AND A1.Z_PK>? GROUP BY A1.Z_PK";
    s.albumPhotosStatement =
        "SELECT A1.Z_8ALBUMS,A1.Z_14ASSETS,A2.ZHEIGHT,A2.ZWIDTH,A2.ZKIND,A2.ZUUID,A2.ZDATECREATED,"
        "A2.ZMODIFICATIONDATE,A2.ZDIRECTORY,A2.ZTITLE,A2.ZFILENAME,A3.ZORIGINALORIENTATION,A3.ZORIGINALFILESIZE "
        "FROM ZGENERICASSET A2 LEFT JOIN ZADDITIONALASSETATTRIBUTES A3 ON A2.Z_PK=A3.ZASSET LEFT JOIN Z_8ASSETS A1 "
        "ON A1.Z_14ASSETS=A2.Z_PK WHERE Z_8ALBUMS=?";
    s.albumPhotosEndLine = kEndLowerQuery;
    return s;
}

// Families 7 and later share the shape of their statements; only the join
// table and its two columns change.
PhotoSqlSchema makeLater(int family, bool is83, const QString &join, const QString &album,
                         const QString &asset)
{
    PhotoSqlSchema s;
    s.family = family;
    s.is83 = is83;
    s.joinTable = join;
    s.albumColumn = album;
    s.assetColumn = asset;
    s.columnList = kC78;
    // Family 8 lists only saved-asset type 256 in the photo library.
    const QString saved = family >= 8 ? QStringLiteral("a.ZSAVEDASSETTYPE=256 AND ") : QString();
    s.membershipClause = QStringLiteral("WHERE a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK IN (SELECT %1 FROM %2")
                             .arg(asset, join);
    s.exclusionClause =
        QStringLiteral("WHERE %3a.ZADDITIONALATTRIBUTES==b.Z_PK AND a.Z_PK NOT IN (SELECT %1 FROM %2")
            .arg(asset, join, saved);
    s.albumPrefix = album + "=";
    s.albumsStatement = QStringLiteral("SELECT A1.Z_PK,COUNT(A2.%1) PHOTOCOUNTS,A1.ZUUID,A1.ZKIND,A1.ZTITLE FROM "
                                       "ZGENERICALBUM A1 LEFT JOIN %2 A2 ON A1.Z_PK=A2.%1 WHERE A1.ZKIND=2 OR "
                                       "A1.ZKIND=1550 GROUP BY A1.Z_PK")
                            .arg(album, join);
    s.importAlbumsStatement = QStringLiteral("SELECT A1.Z_PK,COUNT(A2.%1) PHOTOCOUNTS,A1.ZUUID,A1.ZKIND,A1.ZTITLE "
                                             "FROM ZGENERICALBUM A1 LEFT JOIN %2 A2 ON A1.Z_PK=A2.%1 WHERE "
                                             "A1.ZKIND=1550 AND A1.Z_PK>? GROUP BY A1.Z_PK")
                                  .arg(album, join);
    s.albumPhotosStatement =
        QStringLiteral("SELECT A1.%1,A1.%3,A2.ZHEIGHT,A2.ZWIDTH,A2.ZKIND,A2.ZUUID,A2.ZDATECREATED,"
                       "A2.ZMODIFICATIONDATE,A2.ZDIRECTORY,A2.ZKINDSUBTYPE,A2.ZFILENAME,A3.ZORIGINALORIENTATION,"
                       "A3.ZORIGINALFILESIZE FROM ZGENERICASSET A2 LEFT JOIN ZADDITIONALASSETATTRIBUTES A3 ON "
                       "A2.Z_PK=A3.ZASSET LEFT JOIN %2 A1 ON A1.%3=A2.Z_PK WHERE %1=?")
            .arg(album, join, asset);
    s.albumPhotosEndLine = kEndUpperQuery;
    return s;
}

} // namespace

const QString PhotoSqlSchema::kFromAssets =
    QStringLiteral("FROM ZGENERICASSET a LEFT OUTER JOIN ZADDITIONALASSETATTRIBUTES b ");
const QString PhotoSqlSchema::kCameraRollKey = QStringLiteral("SELECT Z_PK FROM ZGENERICALBUM WHERE ZKIND=1000");
const QString PhotoSqlSchema::kPhotoStreamKey = QStringLiteral(
    "SELECT Z_PK FROM ZGENERICALBUM WHERE Z_ENT=(SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME='PhotoStreamAlbum')");
const QString PhotoSqlSchema::kPhotoLibraryKey = QStringLiteral("SELECT Z_PK FROM ZGENERICALBUM WHERE ZKIND=1552");

const PhotoSqlSchema &PhotoSqlSchema::ios5()
{
    static const PhotoSqlSchema s = make5();
    return s;
}
const PhotoSqlSchema &PhotoSqlSchema::ios6()
{
    static const PhotoSqlSchema s = make6();
    return s;
}
const PhotoSqlSchema &PhotoSqlSchema::ios7()
{
    static const PhotoSqlSchema s = makeLater(7, false, "Z_11ASSETS", "Z_11ALBUMS", "Z_17ASSETS");
    return s;
}
const PhotoSqlSchema &PhotoSqlSchema::ios8()
{
    static const PhotoSqlSchema s = makeLater(8, false, "Z_16ASSETS", "Z_16ALBUMS", "Z_23ASSETS");
    return s;
}
const PhotoSqlSchema &PhotoSqlSchema::ios83()
{
    static const PhotoSqlSchema s = makeLater(8, true, "Z_17ASSETS", "Z_17ALBUMS", "Z_24ASSETS");
    return s;
}

const PhotoSqlSchema *PhotoSqlSchema::forVersion(int familyCode, const QString &productVersion)
{
    switch (familyCode) {
    case 5: return &ios5();
    case 6: return &ios6();
    case 7: return &ios7();
    case 8: return productVersion.startsWith(QLatin1String("8.3")) ? &ios83() : &ios8();
    default: return nullptr;
    }
}
