#include "platform/store/Database.h"

#include "platform/store/StoreErrors.h"

#include <sqlite3.h>

namespace platform::store::detail {

void raiseSqlite(sqlite3* db, const char* what) {
    err::raise(err::StoreFailure, QStringLiteral("The store failed (%1): %2")
                                      .arg(QString::fromUtf8(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) raiseSqlite(db_, "prepare");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        raiseSqlite(db_, "bind");
    return *this;
}

Statement& Statement::bind(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) raiseSqlite(db_, "bind");
    return *this;
}

Statement& Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(stmt_, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
        break;
    case QMetaType::Double:
        rc = sqlite3_bind_double(stmt_, index, value.toDouble());
        break;
    default:
        if (value.isNull()) rc = sqlite3_bind_null(stmt_, index);
        else return bind(index, value.toString());
    }
    if (rc != SQLITE_OK) raiseSqlite(db_, "bind");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    raiseSqlite(db_, "step");
}

void Statement::run() {
    while (step()) {
    }
}

int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

QString Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, column)) : QString();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qlonglong>(sqlite3_column_int64(stmt_, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt_, column);
    case SQLITE_NULL:
        return {};
    default:
        return text(column);
    }
}

namespace {
const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS items(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES items(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  path TEXT NOT NULL,
  key TEXT NOT NULL UNIQUE,
  is_folder INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS items_parent ON items(parent);
CREATE TABLE IF NOT EXISTS props(
  item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,
  fold TEXT NOT NULL,
  name TEXT NOT NULL,
  type INTEGER NOT NULL,
  value,
  PRIMARY KEY(item, fold));
INSERT OR IGNORE INTO items(id, parent, name, path, key, is_folder) VALUES(1, NULL, '', '', '', 1);
)sql";
}  // namespace

Database::Database(const QString& file, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db_, flags, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_close(db_);
        db_ = nullptr;
        err::raise(err::StoreFailure, QStringLiteral("The store %1 cannot be opened: %2").arg(file, msg));
    }
    try {
        sqlite3_busy_timeout(db_, 10000);
        // Write-ahead log with full syncs: a committed change survives a crash, an
        // uncommitted one leaves no trace.
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
        if (create) exec(kSchema);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Database::~Database() {
    if (db_) {
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
    }
}

void Database::exec(const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        const QString text = QString::fromUtf8(msg ? msg : "unknown");
        sqlite3_free(msg);
        err::raise(err::StoreFailure, QStringLiteral("The store failed: %1").arg(text));
    }
}

int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

bool Database::inTransaction() const { return !sqlite3_get_autocommit(db_); }

}  // namespace platform::store::detail
