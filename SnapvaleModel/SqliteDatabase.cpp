#include "SqliteDatabase.h"

#include <sqlite3.h>

#include <cstdio>

SqliteDatabase::SqliteDatabase(const QString &path, Mode mode)
{
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                             : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        lastError_ = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        std::fprintf(stderr, "sqlite open failed: %s\n", lastError_.toUtf8().constData());
        sqlite3_close(db);
        return;
    }
    db_ = db;
    // Read the file through memory mapping: each query opens the database
    // anew, and mapped pages need no copy through read calls.
    sqlite3_exec(db_, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    // Another connection to the same copy may hold a lock for a moment
    // (recovering or checkpointing the log when it opens or closes): wait
    // for it instead of failing the statement.
    sqlite3_busy_timeout(db_, 5000);
}

SqliteDatabase::~SqliteDatabase()
{
    if (db_)
        sqlite3_close_v2(db_);
}

SqliteStatement SqliteDatabase::prepare(const QString &sql)
{
    if (!db_)
        return {};
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        lastError_ = QString::fromUtf8(sqlite3_errmsg(db_));
        std::fprintf(stderr, "sqlite prepare failed: %s\n", lastError_.toUtf8().constData());
        sqlite3_finalize(stmt);
        return {};
    }
    return SqliteStatement(db_, stmt);
}

bool SqliteDatabase::exec(const QString &sql)
{
    if (!db_)
        return false;
    char *err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        lastError_ = QString::fromUtf8(err ? err : "unknown error");
        std::fprintf(stderr, "sqlite exec failed: %s\n", lastError_.toUtf8().constData());
        sqlite3_free(err);
        return false;
    }
    return true;
}
