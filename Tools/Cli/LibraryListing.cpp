#include "LibraryListing.h"

#include "MyGetIos6PhotoSqlData.h"
#include "MyHelper.h"
#include "NVXGetIos7PhotoSqlData.h"
#include "NVXGetiOS83PhotoSqlData.h"
#include "NVXGetiOS8PhotoSqlData.h"
#include "SqliteDatabase.h"

#include <QFileInfo>

#include <charconv>
#include <cstdio>
#include <thread>
#include <string>

namespace {

// The five list operations of whichever query set the family uses. Each
// call makes its own query-set object, which closes the database again, so
// the photo library (the largest list) is read on a second thread while
// this one reads the rest: each thread has its own connection.
template <typename QuerySet>
void readWith(const QString &path, NVXPhotoList &roll, NVXPhotoList &stream, NVXPhotoList &library,
              QList<LibraryListing::Album> &albums)
{
    std::thread libraryReader([&] { library = MyHelper::sortPicturesByTime1(QuerySet(path).OueryPhotoLibraryAlbum()); });
    roll = MyHelper::sortPicturesByTime1(QuerySet(path).OueryCameraRollAlbum());
    stream = MyHelper::sortPicturesByTime1(QuerySet(path).OueryPhotoStreamAlbum());
    const NVXPhotoList found = QuerySet(path).OueryOthersAlbum();
    for (const auto &a : *found)
        albums.append({a, MyHelper::sortPicturesByTime1(QuerySet(path).OueryOthersPhoto(a->albumZpk))});
    libraryReader.join();
}

// Families 5 and 6 share one query-set class that takes the version tag.
class TaggedQuerySet {
public:
    TaggedQuerySet(const QString &path, const QString &tag) : q_(path), tag_(tag) {}
    NVXPhotoList OueryCameraRollAlbum() { return q_.OueryCameraRollAlbum(tag_); }
    NVXPhotoList OueryPhotoStreamAlbum() { return q_.OueryPhotoStreamAlbum(tag_); }
    NVXPhotoList OueryPhotoLibraryAlbum() { return q_.OueryPhotoLibraryAlbum(tag_); }
    NVXPhotoList OueryOthersAlbum() { return q_.OueryOthersAlbum(tag_); }
    NVXPhotoList OueryOthersPhoto(int key) { return q_.OueryOthersPhoto(key, tag_); }

private:
    MyGetIos6PhotoSqlData q_;
    QString tag_;
};

template <const char *Tag>
struct Tagged : TaggedQuerySet {
    explicit Tagged(const QString &path) : TaggedQuerySet(path, QString::fromLatin1(Tag)) {}
};
constexpr char kIos5[] = "IOS5.0";
constexpr char kIos6[] = "IOS6.0";

QString bytesUuid(const QByteArray &bytes)
{
    if (bytes.isNull())
        return QString();
    return MyHelper::createPhotoUUID(MyHelper::NSdatatoNSString(bytes));
}

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
    case 5: readWith<Tagged<kIos5>>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    case 6: readWith<Tagged<kIos6>>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    case 7: readWith<NVXGetIos7PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_); break;
    default:
        if (schema_->is83)
            readWith<NVXGetiOS83PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_);
        else
            readWith<NVXGetiOS8PhotoSqlData>(databasePath, cameraRoll_, photoStream_, photoLibrary_, albums_);
    }
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

// Output is appended straight into one buffer: listing tens of thousands of
// photos through document objects costs several times the queries.
class JsonOut {
public:
    explicit JsonOut(FILE *sink) : sink_(sink) { buf.reserve(kChunk + 4096); }

    std::string buf;

    // Hands the text written so far to the output once a chunk is full, so
    // the whole listing never sits in memory at once.
    void flushIfFull()
    {
        if (buf.size() >= kChunk)
            flush();
    }
    bool flush()
    {
        if (!buf.empty() && std::fwrite(buf.data(), 1, buf.size(), sink_) != buf.size())
            failed_ = true;
        buf.clear();
        return !failed_;
    }

    JsonOut &operator<<(const char *text)
    {
        buf += text;
        return *this;
    }
    void number(qint64 value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        buf.append(digits, size_t(end - digits));
    }
    // A JSON string (UTF-8, escaped) or null. Written through a pointer
    // into room reserved up front: at most six output bytes per UTF-16 unit.
    void string(const QString &s)
    {
        if (s.isNull()) {
            buf += "null";
            return;
        }
        const size_t start = buf.size();
        buf.resize(start + 2 + 6 * size_t(s.size()));
        char *o = buf.data() + start;
        *o++ = '"';
        const char16_t *p = reinterpret_cast<const char16_t *>(s.utf16());
        const char16_t *end = p + s.size();
        static const char hex[] = "0123456789abcdef";
        for (; p < end; ++p) {
            char32_t c = *p;
            if (c < 0x80) {
                if (c >= 0x20 && c != '"' && c != '\\') {
                    *o++ = char(c);
                    continue;
                }
                *o++ = '\\';
                switch (c) {
                case '"': *o++ = '"'; break;
                case '\\': *o++ = '\\'; break;
                case '\n': *o++ = 'n'; break;
                case '\r': *o++ = 'r'; break;
                case '\t': *o++ = 't'; break;
                default:
                    *o++ = 'u';
                    *o++ = '0';
                    *o++ = '0';
                    *o++ = hex[c >> 4];
                    *o++ = hex[c & 0xF];
                }
                continue;
            }
            if (QChar::isHighSurrogate(c) && p + 1 < end && QChar::isLowSurrogate(p[1]))
                c = QChar::surrogateToUcs4(char16_t(c), *++p);
            else if (QChar::isSurrogate(c))
                c = 0xFFFD; // a lone surrogate is not text
            if (c < 0x800) {
                *o++ = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *o++ = char(0xE0 | (c >> 12));
                *o++ = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                *o++ = char(0xF0 | (c >> 18));
                *o++ = char(0x80 | ((c >> 12) & 0x3F));
                *o++ = char(0x80 | ((c >> 6) & 0x3F));
            }
            *o++ = char(0x80 | (c & 0x3F));
        }
        *o++ = '"';
        buf.resize(size_t(o - buf.data()));
    }
    void field(const char *key, qint64 value, bool first = false)
    {
        key_(key, first);
        number(value);
    }
    void dateField(const char *key, quint64 seconds)
    {
        key_(key, false);
        char text[19];
        if (MyHelper::dateToChars(seconds, text)) {
            buf += '"';
            buf.append(text, sizeof text);
            buf += '"';
        } else {
            buf += "null";
        }
    }
    void field(const char *key, const QString &value)
    {
        key_(key, false);
        string(value);
    }

private:
    static constexpr size_t kChunk = 1 << 18;
    FILE *sink_;
    bool failed_ = false;

    void key_(const char *key, bool first)
    {
        if (!first)
            buf += ',';
        buf += '"';
        buf += key;
        buf += "\":";
    }
};

void appendPhotoJson(JsonOut &out, const LibraryListing &l, const NVXPhotoData &p)
{
    out << "{";
    out.field("key", p.photoZpk, true);
    out.field("kind", p.photoKind);
    out.field("subtype", p.photoKindSubtype);
    out.field("uuid", l.photoUuidText(p));
    out.field("directory", p.photoPath);
    out.field("name", p.photoName);
    out.field("title", p.photoTitle);
    out.field("modified", p.photoDateData);
    out.dateField("modifiedText", quint64(qint64(p.photoDateData)));
    out.field("size", p.photoSize);
    out.field("width", p.photoWidth);
    out.field("height", p.photoHeight);
    out.field("orientation", p.photoRiginal);
    out << "}";
}

void appendListJson(JsonOut &out, const LibraryListing &l, const NVXPhotoList &list, const char *indent)
{
    out << "[";
    bool first = true;
    for (const auto &p : *list) {
        out << (first ? "\n" : ",\n") << indent;
        appendPhotoJson(out, l, *p);
        out.flushIfFull();
        first = false;
    }
    if (!first)
        out << "\n" << (indent + 2);
    out << "]";
}

} // namespace

bool LibraryListing::writeJson(FILE *output) const
{
    JsonOut out(output);
    out << "{\n  \"database\": ";
    out.string(path_);
    out << ",\n  \"iosVersion\": ";
    out.string(version_);
    out << ",\n  \"family\": ";
    out.number(family_);
    out << ",\n  \"cameraRoll\": ";
    appendListJson(out, *this, cameraRoll_, "    ");
    out << ",\n  \"photoStream\": ";
    appendListJson(out, *this, photoStream_, "    ");
    out << ",\n  \"photoLibrary\": ";
    appendListJson(out, *this, photoLibrary_, "    ");
    out << ",\n  \"albums\": [";
    bool first = true;
    for (const Album &a : albums_) {
        out << (first ? "\n    {" : ",\n    {");
        out.field("key", a.album->albumZpk, true);
        out.field("kind", a.album->albumKind);
        out.field("title", a.album->albumTitle);
        out.field("uuid", albumUuidText(*a.album));
        out.field("count", a.album->photoCounts);
        out << ",\"photos\":";
        appendListJson(out, *this, a.photos, "        ");
        out << "}";
        first = false;
    }
    out << (first ? "]\n}\n" : "\n  ]\n}\n");
    return out.flush();
}
namespace {

void appendPhotoText(QByteArray &out, const LibraryListing &l, const NVXPhotoList &list)
{
    for (const auto &p : *list) {
        const QString uuid = l.photoUuidText(*p);
        out += "  key=" + QByteArray::number(p->photoZpk) + " kind=" + QByteArray::number(p->photoKind) +
               " subtype=" + QByteArray::number(p->photoKindSubtype) +
               " uuid=" + (uuid.isNull() ? QByteArray("(none)") : uuid.toUtf8()) + " directory=" +
               p->photoPath.toUtf8() + " name=" + p->photoName.toUtf8() + " title=" + p->photoTitle.toUtf8() +
               " modified=" + QByteArray::number(p->photoDateData) + " (" +
               MyHelper::dateToString(quint64(qint64(p->photoDateData))).toUtf8() +
               ") size=" + QByteArray::number(p->photoSize) + " width=" + QByteArray::number(p->photoWidth) +
               " height=" + QByteArray::number(p->photoHeight) +
               " orientation=" + QByteArray::number(p->photoRiginal) + '\n';
    }
}

QByteArray count(const NVXPhotoList &list) { return QByteArray::number(list->size()) + " items\n"; }

} // namespace

QByteArray LibraryListing::toText() const
{
    QByteArray out;
    out += "Library " + path_.toUtf8() + " (iOS " + version_.toUtf8() + ", family " +
           QByteArray::number(family_) + ")\n";
    out += "Camera Roll: " + count(cameraRoll_);
    appendPhotoText(out, *this, cameraRoll_);
    out += "Photo Stream: " + count(photoStream_);
    appendPhotoText(out, *this, photoStream_);
    out += "Photo Library: " + count(photoLibrary_);
    appendPhotoText(out, *this, photoLibrary_);
    for (const Album &a : albums_) {
        out += "Album \"" + a.album->albumTitle.toUtf8() + "\" key=" + QByteArray::number(a.album->albumZpk) +
               " kind=" + QByteArray::number(a.album->albumKind) + " uuid=" + albumUuidText(*a.album).toUtf8() +
               " count=" + QByteArray::number(a.album->photoCounts) + ": " + count(a.photos);
        appendPhotoText(out, *this, a.photos);
    }
    return out;
}
