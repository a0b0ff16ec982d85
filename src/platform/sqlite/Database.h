#pragma once
// One open SQLite database file. Every failure is passed to the error policy the
// owner chose, so each layer keeps its own error numbers and descriptions.
// Destroying the handle rolls back a transaction left open.

#include "platform/sqlite/Failure.h"
#include "platform/sqlite/Statement.h"

#include <QString>
#include <cstdint>

struct sqlite3;

namespace platform::sqlite {

struct OpenOptions {
    bool create = false;      // create the file when it is missing
    bool readOnly = false;    // open for reading only (never creates)
    bool noFollow = false;    // refuse a path that is a symbolic link
    bool serialized = false;  // one handle used from several threads (else single-threaded use)
    int busyTimeoutMs = 5000;
};

class Database {
public:
    Database(const QString& path, const OpenOptions& options, ErrorPolicy policy);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }

    // Runs one or more statements that return no rows.
    void exec(const char* sql);
    Statement prepare(const char* sql) { return Statement(*this, sql); }

    // BEGIN IMMEDIATE: the write lock is taken at once, not at the first write.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    int64_t lastInsertId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

    // Hands the handle's last error, as a failure of `stage`, to the policy.
    [[noreturn]] void raise(Stage stage) const;

private:
    friend class Statement;
    friend class Transaction;
    // Rolls back an open transaction, ignoring any failure (for destructors).
    void abandon() noexcept;

    QString path_;
    ErrorPolicy policy_;
    sqlite3* db_ = nullptr;
};

}  // namespace platform::sqlite
