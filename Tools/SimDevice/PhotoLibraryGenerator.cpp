#include "PhotoLibraryGenerator.h"

#include "SqliteDatabase.h"

#include <QFile>

#include <sqlite3.h>

namespace {

struct Family {
    int code = 0;        // 5, 6, 7 or 8
    bool textUuid = false;
    bool hasTitle = false;
    PhotoLibraryGenerator::Numbering n{};
};

bool familyOf(const QString &f, Family *out)
{
    Family fam;
    if (f == "5") {
        fam = {5, false, true, {6, 11}};
    } else if (f == "6") {
        fam = {6, false, true, {8, 14}};
    } else if (f == "7") {
        fam = {7, false, false, {11, 17}};
    } else if (f == "8.0" || f == "8.1" || f == "8.2" || f == "8") {
        fam = {8, true, false, {16, 23}};
    } else if (f == "8.3") {
        fam = {8, true, false, {17, 24}};
    } else {
        return false;
    }
    *out = fam;
    return true;
}

QString uuidText(const QByteArray &b)
{
    const QString hex = QString::fromLatin1(b.toHex()).toUpper();
    return hex.left(8) + '-' + hex.mid(8, 4) + '-' + hex.mid(12, 4) + '-' + hex.mid(16, 4) + '-' + hex.mid(20);
}

// RAII statement for inserts, with positional binding helpers.
class Insert {
public:
    Insert(sqlite3 *db, const char *sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) == SQLITE_OK; }
    ~Insert() { sqlite3_finalize(st_); }
    bool ok() const { return ok_; }
    void i(int idx, qint64 v) { sqlite3_bind_int64(st_, idx, v); }
    void d(int idx, double v) { sqlite3_bind_double(st_, idx, v); }
    void t(int idx, const QString &v)
    {
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(st_, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void t(int idx, const std::optional<QString> &v)
    {
        if (v)
            t(idx, *v);
        else
            sqlite3_bind_null(st_, idx);
    }
    void uuid(int idx, const QByteArray &b, bool text)
    {
        if (b.isEmpty())
            sqlite3_bind_null(st_, idx);
        else if (text)
            t(idx, uuidText(b));
        else
            sqlite3_bind_blob(st_, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    bool run()
    {
        const bool done = sqlite3_step(st_) == SQLITE_DONE;
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
        return done;
    }

private:
    sqlite3_stmt *st_ = nullptr;
    bool ok_ = false;
};

} // namespace

bool PhotoLibraryGenerator::numberingFor(const QString &family, Numbering *out)
{
    Family f;
    if (!familyOf(family, &f))
        return false;
    *out = f.n;
    return true;
}

bool PhotoLibraryGenerator::write(const LibraryDescription &d, const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    Family fam;
    if (!familyOf(d.family, &fam))
        return fail(QStringLiteral("unknown release family \"%1\"").arg(d.family));
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + suffix);

    SqliteDatabase db(path);
    if (!db.isOpen())
        return fail(db.lastError());
    sqlite3 *h = db.handle();
    // Leave the log in place on close, as a device that is still running would.
    sqlite3_db_config(h, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);

    const int albumEnt = fam.n.albumEntity;
    const int assetEnt = fam.n.assetEntity;
    const int streamEnt = albumEnt + 3;
    const QString join = QStringLiteral("Z_%1ASSETS").arg(albumEnt);
    const QString albumCol = QStringLiteral("Z_%1ALBUMS").arg(albumEnt);
    const QString assetCol = QStringLiteral("Z_%1ASSETS").arg(assetEnt);
    const QString uuidType = fam.textUuid ? "VARCHAR" : "BLOB";

    QString schema = QStringLiteral(
        "PRAGMA journal_mode=WAL;"
        "PRAGMA wal_autocheckpoint=0;"
        "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);"
        "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);"
        "CREATE TABLE ZGENERICALBUM (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZKIND INTEGER,"
        " ZTITLE VARCHAR, ZUUID %1);"
        "CREATE TABLE ZADDITIONALASSETATTRIBUTES (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER,"
        " ZASSET INTEGER, ZORIGINALORIENTATION INTEGER, ZORIGINALFILESIZE INTEGER, ZORIGINALHEIGHT INTEGER,"
        " ZORIGINALWIDTH INTEGER, ZEMBEDDEDTHUMBNAILHEIGHT INTEGER, ZEMBEDDEDTHUMBNAILLENGTH INTEGER,"
        " ZEMBEDDEDTHUMBNAILOFFSET INTEGER, ZEMBEDDEDTHUMBNAILWIDTH INTEGER);"
        "CREATE TABLE ZGENERICASSET (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZKIND INTEGER,%2"
        " ZSAVEDASSETTYPE INTEGER, ZTHUMBNAILINDEX INTEGER, ZADDITIONALATTRIBUTES INTEGER, ZHEIGHT INTEGER,"
        " ZWIDTH INTEGER, ZDATECREATED TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZDIRECTORY VARCHAR,"
        " ZFILENAME VARCHAR,%3 ZUNIFORMTYPEIDENTIFIER VARCHAR, ZUUID %1);"
        "CREATE TABLE %4 (%5 INTEGER, %6 INTEGER, PRIMARY KEY (%5, %6));"
        "CREATE INDEX %4_%6_INDEX ON %4 (%6, %5);"
        // The foreign-key indexes a device database carries.
        "CREATE INDEX ZADDITIONALASSETATTRIBUTES_ZASSET_INDEX ON ZADDITIONALASSETATTRIBUTES (ZASSET);"
        "CREATE INDEX ZGENERICASSET_ZADDITIONALATTRIBUTES_INDEX ON ZGENERICASSET (ZADDITIONALATTRIBUTES);"
        "CREATE INDEX ZGENERICALBUM_ZKIND_INDEX ON ZGENERICALBUM (ZKIND);")
        .arg(uuidType, fam.hasTitle ? "" : " ZKINDSUBTYPE INTEGER,", fam.hasTitle ? " ZTITLE VARCHAR," : "", join,
             albumCol, assetCol);
    if (!db.exec(schema))
        return fail(db.lastError());
    if (!db.exec("BEGIN"))
        return fail(db.lastError());

    {
        Insert pk(h, "INSERT INTO Z_PRIMARYKEY (Z_ENT, Z_NAME, Z_SUPER, Z_MAX) VALUES (?,?,?,?)");
        const struct { int ent; const char *name; int super; } entities[] = {
            {albumEnt - 1, "GenericAlbum", 0}, {albumEnt, "Album", albumEnt - 1},
            {streamEnt, "PhotoStreamAlbum", albumEnt - 1}, {assetEnt - 1, "GenericAsset", 0},
            {assetEnt, "Asset", assetEnt - 1}, {assetEnt + 5, "AdditionalAssetAttributes", 0}};
        for (const auto &e : entities) {
            pk.i(1, e.ent);
            pk.t(2, QString::fromLatin1(e.name));
            pk.i(3, e.super);
            pk.i(4, 0);
            if (!pk.run())
                return fail(QString::fromUtf8(sqlite3_errmsg(h)));
        }
        Insert meta(h, "INSERT INTO Z_METADATA (Z_VERSION, Z_UUID, Z_PLIST) VALUES (1, ?, NULL)");
        meta.t(1, d.libraryUuid.isEmpty() ? QStringLiteral("00000000-0000-4000-8000-000000000001") : d.libraryUuid);
        if (!meta.run())
            return fail(QString::fromUtf8(sqlite3_errmsg(h)));

        Insert album(h, "INSERT INTO ZGENERICALBUM (Z_PK, Z_ENT, Z_OPT, ZKIND, ZTITLE, ZUUID) VALUES (?,?,1,?,?,?)");
        for (const FixtureAlbum &a : d.albums) {
            album.i(1, a.key);
            album.i(2, a.photoStream ? streamEnt : albumEnt);
            album.i(3, a.kind);
            album.t(4, a.title);
            album.uuid(5, a.uuid, fam.textUuid);
            if (!album.run())
                return fail(QString::fromUtf8(sqlite3_errmsg(h)));
        }
    }

    const QString assetSql =
        fam.hasTitle
            ? "INSERT INTO ZGENERICASSET (Z_PK, Z_ENT, Z_OPT, ZKIND, ZSAVEDASSETTYPE, ZTHUMBNAILINDEX,"
              " ZADDITIONALATTRIBUTES, ZHEIGHT, ZWIDTH, ZDATECREATED, ZMODIFICATIONDATE, ZDIRECTORY, ZFILENAME,"
              " ZUNIFORMTYPEIDENTIFIER, ZUUID, ZTITLE) VALUES (?,?,1,?,?,?,?,?,?,?,?,?,?,?,?,?)"
            : "INSERT INTO ZGENERICASSET (Z_PK, Z_ENT, Z_OPT, ZKIND, ZSAVEDASSETTYPE, ZTHUMBNAILINDEX,"
              " ZADDITIONALATTRIBUTES, ZHEIGHT, ZWIDTH, ZDATECREATED, ZMODIFICATIONDATE, ZDIRECTORY, ZFILENAME,"
              " ZUNIFORMTYPEIDENTIFIER, ZUUID, ZKINDSUBTYPE) VALUES (?,?,1,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    Insert asset(h, assetSql.toUtf8().constData());
    Insert attrs(h, "INSERT INTO ZADDITIONALASSETATTRIBUTES (Z_PK, Z_ENT, Z_OPT, ZASSET, ZORIGINALORIENTATION,"
                    " ZORIGINALFILESIZE, ZORIGINALHEIGHT, ZORIGINALWIDTH, ZEMBEDDEDTHUMBNAILHEIGHT,"
                    " ZEMBEDDEDTHUMBNAILLENGTH, ZEMBEDDEDTHUMBNAILOFFSET, ZEMBEDDEDTHUMBNAILWIDTH)"
                    " VALUES (?,?,1,?,?,?,?,?,?,?,?,?)");
    Insert member(h, QStringLiteral("INSERT OR IGNORE INTO %1 (%2, %3) VALUES (?,?)")
                         .arg(join, albumCol, assetCol).toUtf8().constData());
    if (!asset.ok() || !attrs.ok() || !member.ok())
        return fail(QString::fromUtf8(sqlite3_errmsg(h)));

    // The last tenth of the assets is written after a checkpoint, so that it
    // lives only in the write-ahead log.
    const qsizetype splitAt = d.assets.size() - d.assets.size() / 10;
    for (qsizetype idx = 0; idx < d.assets.size(); ++idx) {
        if (idx == splitAt && idx > 0) {
            if (!db.exec("COMMIT") || !db.exec("PRAGMA wal_checkpoint(TRUNCATE)") || !db.exec("BEGIN"))
                return fail(db.lastError());
        }
        const FixtureAsset &a = d.assets.at(idx);
        const int attrKey = a.key; // one attributes row per asset, same key
        asset.i(1, a.key);
        asset.i(2, assetEnt);
        asset.i(3, a.kind);
        asset.i(4, a.savedAssetType);
        asset.i(5, a.thumbnailIndex);
        asset.i(6, a.hasAttributes ? attrKey : 0);
        asset.i(7, a.height);
        asset.i(8, a.width);
        asset.d(9, a.created);
        asset.d(10, a.modified);
        asset.t(11, a.directory);
        asset.t(12, a.fileName);
        asset.t(13, a.uniformType);
        asset.uuid(14, a.uuid, fam.textUuid);
        if (fam.hasTitle)
            asset.t(15, a.title);
        else
            asset.i(15, a.subtype);
        if (!asset.run())
            return fail(QString::fromUtf8(sqlite3_errmsg(h)));
        if (a.hasAttributes) {
            attrs.i(1, attrKey);
            attrs.i(2, assetEnt + 5);
            attrs.i(3, a.key);
            attrs.i(4, a.orientation);
            attrs.i(5, a.fileSize);
            attrs.i(6, a.originalHeight);
            attrs.i(7, a.originalWidth);
            attrs.i(8, a.embeddedThumbHeight);
            attrs.i(9, a.embeddedThumbLength);
            attrs.i(10, a.embeddedThumbOffset);
            attrs.i(11, a.embeddedThumbWidth);
            if (!attrs.run())
                return fail(QString::fromUtf8(sqlite3_errmsg(h)));
        }
        for (int albumKey : a.albums) {
            member.i(1, albumKey);
            member.i(2, a.key);
            if (!member.run())
                return fail(QString::fromUtf8(sqlite3_errmsg(h)));
        }
    }
    if (!db.exec("COMMIT"))
        return fail(db.lastError());
    return true;
}
