#include "PhotoSqlQuery.h"

#include "NVXLogManager.h"

#include <QFileInfo>

#include <cstdio>

namespace {
void logInfo(const char *line) { NVXLogManager::singleton().writeInfoLog(QString::fromLatin1(line)); }
}

PhotoSqlQuery::PhotoSqlQuery(const QString &path)
{
    const bool exists = QFileInfo(path).isFile();
    std::fprintf(stderr, "DB path : %s %s\n", path.toUtf8().constData(), exists ? "exist" : "not exist");
    db_ = std::make_unique<SqliteDatabase>(path);
}

PhotoSqlQuery::~PhotoSqlQuery() = default;

int PhotoSqlQuery::lastKey(const QString &sql)
{
    SqliteStatement st = db_->prepare(sql);
    int key = -1;
    const int pk = st.columnIndex(QStringLiteral("Z_PK"));
    while (st.step())
        key = st.intValue(pk);
    return key;
}

int PhotoSqlQuery::photoLibraryKey() { return lastKey(PhotoSqlSchema::kPhotoLibraryKey); }

NVXPhotoList PhotoSqlQuery::photoRows(const PhotoSqlSchema &s, SqliteStatement &st, const PhotoColumns &columns)
{
    auto list = makePhotoList();
    if (!st.isValid())
        return list;
    const int cAlbum = columns.album.isEmpty() ? -1 : st.columnIndex(columns.album);
    const int cKey = st.columnIndex(columns.key);
    const int cHeight = st.columnIndex(columns.height);
    const int cWidth = st.columnIndex(columns.width);
    const int cCreated = st.columnIndex("ZDATECREATED");
    const int cModified = st.columnIndex("ZMODIFICATIONDATE");
    const int cOrientation = st.columnIndex("ZORIGINALORIENTATION");
    const int cDirectory = st.columnIndex("ZDIRECTORY");
    const int cFileName = st.columnIndex("ZFILENAME");
    const int cTitle = st.columnIndex("ZTITLE");
    const int cSubtype = st.columnIndex("ZKINDSUBTYPE");
    const int cSize = st.columnIndex("ZORIGINALFILESIZE");
    const int cUuid = st.columnIndex("ZUUID");
    const int cKind = st.columnIndex("ZKIND");
    while (st.step()) {
        auto p = std::make_shared<NVXPhotoData>();
        p->photoAsset = st.intValue(cAlbum); // 0 without an album column
        p->photoZpk = st.intValue(cKey);
        p->photoHeight = st.intValue(cHeight);
        p->photoWidth = st.intValue(cWidth);
        p->photoDate = st.dateValue(cCreated);
        p->photoDateData = st.intValue(cModified);
        p->photoRiginal = st.intValue(cOrientation);
        p->photoPath = st.textValue(cDirectory);
        p->photoName = st.textValue(cFileName);
        if (s.hasTitle())
            p->photoTitle = st.textValue(cTitle);
        else
            p->photoKindSubtype = st.intValue(cSubtype);
        p->photoSize = st.intValue(cSize);
        p->photoUUID = st.bytesValue(cUuid);
        if (s.hasTextUuid())
            p->photoUUIDString = st.textValue(cUuid);
        p->photoKind = st.intValue(cKind);
        list->append(std::move(p));
    }
    return list;
}

NVXPhotoList PhotoSqlQuery::categoryRows(const PhotoSqlSchema &s, const QString &sql)
{
    SqliteStatement st = db_->prepare(sql);
    return photoRows(s, st, {QStringLiteral("Z_PK"), QString(), QStringLiteral("ZORIGINALHEIGHT"),
                             QStringLiteral("ZORIGINALWIDTH")});
}

QString PhotoSqlQuery::memberStatement(const PhotoSqlSchema &s, int key)
{
    QString sql = s.columnList + PhotoSqlSchema::kFromAssets + s.membershipClause;
    if (key > 0)
        sql += QStringLiteral(" WHERE ") + s.albumPrefix + QString::number(key);
    sql += QStringLiteral(") AND ZTHUMBNAILINDEX>=0");
    return sql;
}

QString PhotoSqlQuery::libraryStatement(const PhotoSqlSchema &s, int roll, int stream)
{
    QString sql = s.columnList + PhotoSqlSchema::kFromAssets + s.exclusionClause;
    if (roll > 0 || stream > 0) {
        sql += QStringLiteral(" WHERE ");
        if (roll > 0) {
            sql += s.albumPrefix + QString::number(roll);
            if (stream > 0)
                sql += QStringLiteral(" OR ") + s.albumPrefix + QString::number(stream);
        } else {
            sql += s.albumPrefix + QString::number(stream);
        }
    }
    sql += QStringLiteral(") AND ZTHUMBNAILINDEX>=0");
    return sql;
}

NVXPhotoList PhotoSqlQuery::memberList(const PhotoSqlSchema &s, int key)
{
    if (key == -1)
        return makePhotoList();
    return categoryRows(s, memberStatement(s, key));
}

NVXPhotoList PhotoSqlQuery::cameraRoll(const PhotoSqlSchema &s)
{
    logInfo("Begin query CameraRoll photodata");
    auto list = memberList(s, lastKey(PhotoSqlSchema::kCameraRollKey));
    logInfo("Query CameraRoll photodata end");
    return list;
}

NVXPhotoList PhotoSqlQuery::photoStream(const PhotoSqlSchema &s)
{
    logInfo("Begin query PhotoStream photodata");
    auto list = memberList(s, lastKey(PhotoSqlSchema::kPhotoStreamKey));
    logInfo("Query PhotoStream photodata end");
    return list;
}

NVXPhotoList PhotoSqlQuery::photoLibrary(const PhotoSqlSchema &s)
{
    logInfo("Begin query PhotoLibrary photodata");
    NVXPhotoList list = makePhotoList();
    const int stream = lastKey(PhotoSqlSchema::kPhotoStreamKey);
    const int roll = lastKey(PhotoSqlSchema::kCameraRollKey);
    if ((stream & roll) != -1)
        list = categoryRows(s, libraryStatement(s, roll, stream));
    logInfo("Query PhotoLibrary photodata end");
    return list;
}

NVXPhotoList PhotoSqlQuery::albumRows(const PhotoSqlSchema &s, SqliteStatement &st)
{
    auto list = makePhotoList();
    const int cPk = st.columnIndex("Z_PK");
    const int cCount = st.columnIndex("PHOTOCOUNTS");
    const int cKind = st.columnIndex("ZKIND");
    const int cTitle = st.columnIndex("ZTITLE");
    const int cUuid = st.columnIndex("ZUUID");
    while (st.step()) {
        auto a = std::make_shared<NVXPhotoData>();
        a->albumZpk = st.intValue(cPk);
        a->photoCounts = st.intValue(cCount);
        a->albumKind = st.intValue(cKind);
        a->albumTitle = st.textValue(cTitle);
        a->albumUUID = st.bytesValue(cUuid);
        if (s.hasTextUuid())
            a->albumUUIDString = st.textValue(cUuid);
        list->append(std::move(a));
    }
    return list;
}

NVXPhotoList PhotoSqlQuery::othersAlbum(const PhotoSqlSchema &s)
{
    logInfo("Begin query OthersAlbum data");
    SqliteStatement st = db_->prepare(s.albumsStatement);
    auto list = albumRows(s, st);
    logInfo("Query OthersAlbum data end");
    return list;
}

NVXPhotoList PhotoSqlQuery::importAlbum(const PhotoSqlSchema &s, int key)
{
    logInfo("Begin query just ImportAlbum data");
    SqliteStatement st = db_->prepare(s.importAlbumsStatement);
    st.bindInt(1, key);
    auto list = albumRows(s, st);
    logInfo("Query just ImportAlbum data end");
    return list;
}

NVXPhotoList PhotoSqlQuery::othersPhoto(const PhotoSqlSchema &s, int albumKey)
{
    logInfo("Begin query correspond album photodata");
    SqliteStatement st = db_->prepare(s.albumPhotosStatement);
    st.bindInt(1, albumKey);
    auto list = photoRows(s, st, {s.assetColumn, s.albumColumn, QStringLiteral("ZHEIGHT"), QStringLiteral("ZWIDTH")});
    NVXLogManager::singleton().writeInfoLog(s.albumPhotosEndLine);
    return list;
}
