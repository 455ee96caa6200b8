#include "LibraryListing.h"

#include "MyGetIos6PhotoSqlData.h"
#include "MyHelper.h"
#include "NVXGetIos7PhotoSqlData.h"
#include "NVXGetiOS83PhotoSqlData.h"
#include "NVXGetiOS8PhotoSqlData.h"
#include "SqliteDatabase.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTextStream>

namespace {

// The five list operations of whichever query set the family uses. Each
// call makes its own query-set object, which closes the database again.
template <typename QuerySet>
void readWith(const QString &path, NVXPhotoList &roll, NVXPhotoList &stream, NVXPhotoList &library,
              QList<LibraryListing::Album> &albums)
{
    roll = QuerySet(path).OueryCameraRollAlbum();
    stream = QuerySet(path).OueryPhotoStreamAlbum();
    library = QuerySet(path).OueryPhotoLibraryAlbum();
    const NVXPhotoList found = QuerySet(path).OueryOthersAlbum();
    for (const auto &a : *found)
        albums.append({a, QuerySet(path).OueryOthersPhoto(a->albumZpk)});
}

void readWithTag(const QString &path, const QString &tag, NVXPhotoList &roll, NVXPhotoList &stream,
                 NVXPhotoList &library, QList<LibraryListing::Album> &albums)
{
    roll = MyGetIos6PhotoSqlData(path).OueryCameraRollAlbum(tag);
    stream = MyGetIos6PhotoSqlData(path).OueryPhotoStreamAlbum(tag);
    library = MyGetIos6PhotoSqlData(path).OueryPhotoLibraryAlbum(tag);
    const NVXPhotoList found = MyGetIos6PhotoSqlData(path).OueryOthersAlbum(tag);
    for (const auto &a : *found)
        albums.append({a, MyGetIos6PhotoSqlData(path).OueryOthersPhoto(a->albumZpk, tag)});
}

QString bytesUuid(const QByteArray &bytes)
{
    if (bytes.isNull())
        return QString();
    return MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(bytes));
}

QJsonValue text(const QString &s) { return s.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(s); }

} // namespace

bool LibraryListing::load(const QString &databasePath, const QString &iosVersion, QString *error)
{
    path_ = databasePath;
    version_ = iosVersion;
    family_ = MyHelper::judgeVersion(iosVersion);
    schema_ = PhotoSqlSchema::forVersion(family_, iosVersion);
    if (!schema_) {
        *error = QStringLiteral("iOS version \"%1\" is not supported (iOS 5 to 8 are)").arg(iosVersion);
        return false;
    }
    if (!QFileInfo(databasePath).isFile()) {
        *error = QStringLiteral("no such file: %1").arg(databasePath);
        return false;
    }
    {
        // Opening read-only creates nothing; a file that is not a database
        // fails at its first statement.
        SqliteDatabase db(databasePath, SqliteDatabase::Mode::ReadOnly);
        SqliteStatement st = db.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if (!st.isValid() || (!st.step() && st.failed())) {
            *error = QStringLiteral("%1 is not an SQLite database (%2)").arg(databasePath, db.lastError());
            return false;
        }
        SqliteStatement probe = db.prepare(QStringLiteral("SELECT 1 FROM ") + schema_->joinTable + " LIMIT 1");
        if (!probe.isValid()) {
            *error = QStringLiteral("%1 has no table %2: not a photo library of iOS %3")
                         .arg(databasePath, schema_->joinTable, iosVersion);
            return false;
        }
    }
    switch (family_) {
    case 5: readWithTag(databasePath, "IOS5.0", cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    case 6: readWithTag(databasePath, "IOS6.0", cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    case 7: readWith<NVXGetIos7PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    default:
        if (schema_->is83)
            readWith<NVXGetiOS83PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_);
        else
            readWith<NVXGetiOS8PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_);
    }
    cameraRoll_ = MyHelper::sortPicturesByTime1(cameraRoll_);
    photoStream_ = MyHelper::sortPicturesByTime1(photoStream_);
    photoLibrary_ = MyHelper::sortPicturesByTime1(photoLibrary_);
    for (Album &a : albums_)
        a.photos = MyHelper::sortPicturesByTime1(a.photos);
    return true;
}

QString LibraryListing::photoUuidText(const NVXPhotoData &p) const
{
    return schema_ && schema_->hasTextUuid() ? p.photoUUIDString : bytesUuid(p.photoUUID);
}

QString LibraryListing::albumUuidText(const NVXPhotoData &a) const
{
    return schema_ && schema_->hasTextUuid() ? a.albumUUIDString : bytesUuid(a.albumUUID);
}

namespace {

QJsonObject photoJson(const LibraryListing &l, const NVXPhotoData &p)
{
    QJsonObject o;
    o["key"] = p.photoZpk;
    o["kind"] = p.photoKind;
    o["subtype"] = p.photoKindSubtype;
    o["uuid"] = text(l.photoUuidText(p));
    o["directory"] = text(p.photoPath);
    o["name"] = text(p.photoName);
    o["title"] = text(p.photoTitle);
    o["modified"] = p.photoDateData;
    o["modifiedText"] = MyHelper::dateToString(quint64(qint64(p.photoDateData)));
    o["size"] = p.photoSize;
    o["width"] = p.photoWidth;
    o["height"] = p.photoHeight;
    o["orientation"] = p.photoRiginal;
    return o;
}

QJsonArray listJson(const LibraryListing &l, const NVXPhotoList &list)
{
    QJsonArray a;
    for (const auto &p : *list)
        a.append(photoJson(l, *p));
    return a;
}

} // namespace

QJsonObject LibraryListing::toJson() const
{
    QJsonObject root;
    root["database"] = path_;
    root["iosVersion"] = version_;
    root["family"] = family_;
    root["cameraRoll"] = listJson(*this, cameraRoll_);
    root["photoStream"] = listJson(*this, photoStream_);
    root["photoLibrary"] = listJson(*this, photoLibrary_);
    QJsonArray albums;
    for (const Album &a : albums_) {
        QJsonObject o;
        o["key"] = a.album->albumZpk;
        o["kind"] = a.album->albumKind;
        o["title"] = text(a.album->albumTitle);
        o["uuid"] = text(albumUuidText(*a.album));
        o["count"] = a.album->photoCounts;
        o["photos"] = listJson(*this, a.photos);
        albums.append(o);
    }
    root["albums"] = albums;
    return root;
}

namespace {

void writePhotos(QTextStream &out, const LibraryListing &l, const NVXPhotoList &list)
{
    for (const auto &p : *list) {
        const QString uuid = l.photoUuidText(*p);
        out << "  key=" << p->photoZpk << " kind=" << p->photoKind << " subtype=" << p->photoKindSubtype
            << " uuid=" << (uuid.isNull() ? QStringLiteral("(none)") : uuid) << " directory=" << p->photoPath
            << " name=" << p->photoName << " title=" << p->photoTitle << " modified=" << p->photoDateData << " ("
            << MyHelper::dateToString(quint64(qint64(p->photoDateData))) << ") size=" << p->photoSize
            << " width=" << p->photoWidth << " height=" << p->photoHeight << " orientation=" << p->photoRiginal
            << '\n';
    }
}

} // namespace

QString LibraryListing::toText() const
{
    QString s;
    QTextStream out(&s);
    out << "Library " << path_ << " (iOS " << version_ << ", family " << family_ << ")\n";
    out << "Camera Roll: " << cameraRoll_->size() << " items\n";
    writePhotos(out, *this, cameraRoll_);
    out << "Photo Stream: " << photoStream_->size() << " items\n";
    writePhotos(out, *this, photoStream_);
    out << "Photo Library: " << photoLibrary_->size() << " items\n";
    writePhotos(out, *this, photoLibrary_);
    for (const Album &a : albums_) {
        out << "Album \"" << a.album->albumTitle << "\" key=" << a.album->albumZpk << " kind=" << a.album->albumKind
            << " uuid=" << albumUuidText(*a.album) << " count=" << a.album->photoCounts << ": " << a.photos->size()
            << " items\n";
        writePhotos(out, *this, a.photos);
    }
    out.flush();
    return s;
}
