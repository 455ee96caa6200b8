#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement. Columns are found by name, ignoring case, and read
// with the accessors' conversion rules: integers as 32-bit values (a real is
// truncated, NULL gives 0), text and bytes as null for NULL, dates as seconds
// since 2001-01-01 UTC. The statement is finalized with the object.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3 *db, sqlite3_stmt *stmt);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return stmt_ != nullptr; }

    bool bindInt(int index, int value);

    // Advances to the next row: true while there is one. A failing step is
    // printed to the console and remembered (failed()), and ends the rows.
    bool step();
    bool failed() const { return failed_; }

    // Index of a result column by name, ignoring case; -1 when absent.
    int columnIndex(const QString &name) const;

    bool isNull(int column) const;
    int intValue(int column) const;
    qint64 int64Value(int column) const;
    QString textValue(int column) const;
    QByteArray bytesValue(int column) const;
    QDateTime dateValue(int column) const;

private:
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *stmt_ = nullptr;
    QHash<QString, int> columns_;
    bool failed_ = false;
};
