#pragma once
// A thin SQLite wrapper for the store: one handle, prepared statements, and every
// failure turned into a ComError (err::StoreFailure with SQLite's message).

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::store::detail {

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const QString& value);
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, const QVariant& value);  // null, bool, integer, double or text
    // Steps once; true while a row is available.
    bool step();
    // Runs to completion (for statements that return no rows).
    void run();

    int64_t integer(int column) const;
    QString text(int column) const;
    QVariant value(int column) const;  // by the column's stored type
    bool isNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
public:
    // Opens (and with `create`, creates) the database file and prepares the schema.
    Database(const QString& file, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const char* sql);
    Statement prepare(const char* sql) { return Statement(db_, sql); }
    int64_t lastInsertId() const;
    bool inTransaction() const;

private:
    sqlite3* db_ = nullptr;
};

// Throws the store failure for the handle's last error.
[[noreturn]] void raiseSqlite(sqlite3* db, const char* what);

}  // namespace platform::store::detail
