#pragma once
// The SQLite file behind the catalog. Opening creates the missing folders (0700)
// and the file (0600) so that stored passwords are readable by their owner only,
// and tightens a file of ours that others could read. Every value reaches SQL
// through bound parameters.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::complus {

class CatalogDatabase {
public:
    explicit CatalogDatabase(const QString& path);
    ~CatalogDatabase();
    CatalogDatabase(const CatalogDatabase&) = delete;
    CatalogDatabase& operator=(const CatalogDatabase&) = delete;

    const QString& path() const { return path_; }

    // One prepared statement; bind(1..n), then step() row by row.
    class Statement {
    public:
        Statement(CatalogDatabase& db, const char* sql);
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        Statement& bind(int index, const QVariant& value);
        // True while a row is available; false when done.
        bool step();
        // Runs a statement that returns no rows.
        void run();
        QVariant column(int index) const;
        QString text(int index) const { return column(index).toString(); }
        int64_t integer(int index) const { return column(index).toLongLong(); }

    private:
        CatalogDatabase& db_;
        sqlite3_stmt* stmt_ = nullptr;
    };

    // BEGIN IMMEDIATE .. COMMIT; rolled back when destroyed uncommitted.
    class Transaction {
    public:
        explicit Transaction(CatalogDatabase& db);
        ~Transaction();
        void commit();

    private:
        CatalogDatabase& db_;
        bool done_ = false;
    };

    void exec(const char* sql);
    int64_t lastInsertId() const;
    int changes() const;

private:
    friend class Statement;
    [[noreturn]] void raise(const QString& what) const;
    void createSchema();

    QString path_;
    sqlite3* db_ = nullptr;
};

}  // namespace platform::complus
