#pragma once

#include "SqliteStatement.h"

#include <QString>

struct sqlite3;

// An open SQLite database, closed with the object. Errors are printed to the
// console and remembered; a failed open leaves an object on which every
// prepare fails.
class SqliteDatabase {
public:
    enum class Mode { ReadWriteCreate, ReadOnly };

    explicit SqliteDatabase(const QString &path, Mode mode = Mode::ReadWriteCreate);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    bool isOpen() const { return db_ != nullptr; }
    sqlite3 *handle() const { return db_; }
    QString lastError() const { return lastError_; }

    // An invalid statement when the text does not prepare (printed, remembered).
    SqliteStatement prepare(const QString &sql);
    // Runs statements that return no rows; false on the first error.
    bool exec(const QString &sql);

private:
    sqlite3 *db_ = nullptr;
    QString lastError_;
};
