#include "platform/sqlite/Database.h"

#include "platform/ComError.h"

#include <QFile>
#include <sqlite3.h>

namespace platform::sqlite {
namespace {

[[noreturn]] void deliver(ErrorPolicy policy, const Failure& failure) {
    if (policy) policy(failure);
    throw ComError(hr::Fail, QStringLiteral("The database %1 failed (%2): %3")
                                 .arg(failure.path, QLatin1String(stageName(failure.stage)), failure.message));
}

}  // namespace

Database::Database(const QString& path, const OpenOptions& options, ErrorPolicy policy)
    : path_(path), policy_(policy) {
    const int flags = (options.readOnly ? SQLITE_OPEN_READONLY
                                        : SQLITE_OPEN_READWRITE | (options.create ? SQLITE_OPEN_CREATE : 0)) |
                      (options.noFollow ? SQLITE_OPEN_NOFOLLOW : 0) |
                      (options.serialized ? SQLITE_OPEN_FULLMUTEX : SQLITE_OPEN_NOMUTEX);
    const QByteArray native = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(native.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        // Without a handle SQLite could not even allocate one.
        const QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close(db_);
        db_ = nullptr;
        deliver(policy_, {Stage::Open, code, message, path_});
    }
    sqlite3_busy_timeout(db_, options.busyTimeoutMs);
}

Database::~Database() {
    if (!db_) return;
    for (const auto& [sql, stmt] : idle_) sqlite3_finalize(stmt);
    abandon();
    sqlite3_close_v2(db_);
}

sqlite3_stmt* Database::takePrepared(const char* sql) {
    {
        const std::lock_guard guard(idleLock_);
        if (const auto it = idle_.find(std::string_view(sql)); it != idle_.end()) {
            sqlite3_stmt* stmt = it->second;
            idle_.erase(it);
            return stmt;
        }
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) raise(Stage::Prepare);
    return stmt;
}

void Database::giveBack(sqlite3_stmt* stmt) noexcept {
    if (!stmt) return;
    // A statement under way holds its read transaction until it is reset.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    // Statements made from changing texts must not pile up.
    constexpr size_t kKept = 64;
    const char* sql = sqlite3_sql(stmt);
    const std::lock_guard guard(idleLock_);
    if (!sql || idle_.size() >= kKept || !idle_.try_emplace(sql, stmt).second) sqlite3_finalize(stmt);
}

void Database::raise(Stage stage) const {
    deliver(policy_, {stage, sqlite3_extended_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)), path_});
}

void Database::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) raise(Stage::Exec);
}

void Database::begin() { exec("BEGIN IMMEDIATE"); }
void Database::commit() { exec("COMMIT"); }
void Database::rollback() { exec("ROLLBACK"); }
bool Database::inTransaction() const { return !sqlite3_get_autocommit(db_); }

void Database::abandon() noexcept {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Database::changes() const { return sqlite3_changes(db_); }

}  // namespace platform::sqlite
