#include "SqliteStatement.h"

#include <sqlite3.h>

#include <cstdio>

namespace {
// 2001-01-01 00:00:00 UTC, the epoch of the device database's dates, in
// milliseconds since 1970.
constexpr qint64 kDatabaseEpochMs = 978307200000LL;
}

SqliteStatement::SqliteStatement(sqlite3 *db, sqlite3_stmt *stmt) : db_(db), stmt_(stmt)
{
    const int n = sqlite3_column_count(stmt_);
    for (int i = 0; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(stmt_, i)).toLower();
        if (!columns_.contains(name))
            columns_.insert(name, i); // the first column of a name wins
    }
}

SqliteStatement::~SqliteStatement()
{
    if (stmt_)
        sqlite3_finalize(stmt_);
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : db_(other.db_), stmt_(other.stmt_), columns_(std::move(other.columns_)), failed_(other.failed_)
{
    other.stmt_ = nullptr;
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        if (stmt_)
            sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = other.stmt_;
        columns_ = std::move(other.columns_);
        failed_ = other.failed_;
        other.stmt_ = nullptr;
    }
    return *this;
}

bool SqliteStatement::bindInt(int index, int value)
{
    return stmt_ && sqlite3_bind_int(stmt_, index, value) == SQLITE_OK;
}

bool SqliteStatement::step()
{
    if (!stmt_ || failed_)
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        failed_ = true;
        std::fprintf(stderr, "sqlite step failed (%d): %s\n", rc, sqlite3_errmsg(db_));
    }
    return false;
}

int SqliteStatement::columnIndex(const QString &name) const
{
    return columns_.value(name.toLower(), -1);
}

bool SqliteStatement::isNull(int column) const
{
    return column < 0 || sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

int SqliteStatement::intValue(int column) const
{
    return column < 0 ? 0 : sqlite3_column_int(stmt_, column);
}

qint64 SqliteStatement::int64Value(int column) const
{
    return column < 0 ? 0 : sqlite3_column_int64(stmt_, column);
}

QString SqliteStatement::textValue(int column) const
{
    if (isNull(column))
        return QString();
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    const int len = sqlite3_column_bytes(stmt_, column);
    QString s = QString::fromUtf8(text, len);
    if (s.isNull())
        s = QString(""); // an empty text is not NULL
    return s;
}

QByteArray SqliteStatement::bytesValue(int column) const
{
    if (isNull(column))
        return QByteArray();
    const void *data = sqlite3_column_blob(stmt_, column);
    const int len = sqlite3_column_bytes(stmt_, column);
    if (len == 0)
        return QByteArray(""); // present but empty
    return QByteArray(static_cast<const char *>(data), len);
}

QDateTime SqliteStatement::dateValue(int column) const
{
    if (isNull(column))
        return QDateTime();
    const double seconds = sqlite3_column_double(stmt_, column);
    return QDateTime::fromMSecsSinceEpoch(kDatabaseEpochMs + qint64(seconds * 1000.0), Qt::UTC);
}
