#pragma once
// One open SQLite database file. Every failure is passed to the error policy the
// owner chose, so each layer keeps its own error numbers and descriptions.
// Destroying the handle rolls back a transaction left open.

#include "platform/sqlite/Failure.h"
#include "platform/sqlite/Statement.h"

#include <QString>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

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
    // Statements are prepared once per handle: a finished one is reset and kept
    // for the next statement of the same text.
    sqlite3_stmt* takePrepared(const char* sql);
    void giveBack(sqlite3_stmt* stmt) noexcept;

    QString path_;
    ErrorPolicy policy_;
    sqlite3* db_ = nullptr;
    std::mutex idleLock_;  // a serialized handle is shared by threads
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, sqlite3_stmt*, TextHash, std::equal_to<>> idle_;
};

}  // namespace platform::sqlite
