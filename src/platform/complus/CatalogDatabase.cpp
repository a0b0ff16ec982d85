#include "platform/complus/CatalogDatabase.h"

#include "platform/ComError.h"
#include "platform/complus/PrivateFile.h"

#include <QFile>
#include <sqlite3.h>

namespace platform::complus {

namespace {
// Objects of all collections in one table: an application has no parent, a
// component names its application's ID. Properties are name/value pairs.
// Services stand in for the service control manager's registrations.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS objects(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  collection TEXT NOT NULL,
  parent_id TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  id TEXT NOT NULL UNIQUE COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS properties(
  object_seq INTEGER NOT NULL REFERENCES objects(seq) ON DELETE CASCADE,
  name TEXT NOT NULL,
  value,
  PRIMARY KEY(object_seq, name));
CREATE TABLE IF NOT EXISTS services(
  name TEXT PRIMARY KEY COLLATE NOCASE,
  application_id TEXT NOT NULL COLLATE NOCASE,
  start_type TEXT NOT NULL,
  error_control TEXT NOT NULL,
  dependencies TEXT NOT NULL,
  run_as TEXT NOT NULL,
  password TEXT NOT NULL,
  desktop_ok INTEGER NOT NULL);
)sql";
}  // namespace

CatalogDatabase::CatalogDatabase(const QString& path) : path_(path) {
    preparePrivateFile(path);
    const QByteArray native = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(native.constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw ComError(hr::Fail, QStringLiteral("The catalog %1 cannot be opened: %2").arg(path, message));
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        exec("PRAGMA foreign_keys = ON");
        createSchema();
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

CatalogDatabase::~CatalogDatabase() {
    if (db_) sqlite3_close(db_);
}

void CatalogDatabase::createSchema() { exec(kSchema); }

void CatalogDatabase::raise(const QString& what) const {
    throw ComError(hr::Fail, QStringLiteral("The catalog %1 failed (%2): %3")
                                 .arg(path_, what, QString::fromUtf8(sqlite3_errmsg(db_))));
}

void CatalogDatabase::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) raise(QStringLiteral("exec"));
}

int64_t CatalogDatabase::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int CatalogDatabase::changes() const { return sqlite3_changes(db_); }

CatalogDatabase::Statement::Statement(CatalogDatabase& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db_.db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) db_.raise(QStringLiteral("prepare"));
}

CatalogDatabase::Statement::~Statement() { sqlite3_finalize(stmt_); }

CatalogDatabase::Statement& CatalogDatabase::Statement::bind(int index, const QVariant& value) {
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
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        rc = sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    }
    if (rc != SQLITE_OK) db_.raise(QStringLiteral("bind"));
    return *this;
}

bool CatalogDatabase::Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.raise(QStringLiteral("step"));
}

void CatalogDatabase::Statement::run() {
    while (step()) {
    }
}

QVariant CatalogDatabase::Statement::column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qlonglong>(sqlite3_column_int64(stmt_, index));
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index)),
                                 sqlite3_column_bytes(stmt_, index));
    }
}

CatalogDatabase::Transaction::Transaction(CatalogDatabase& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

CatalogDatabase::Transaction::~Transaction() {
    if (!done_) sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void CatalogDatabase::Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
}

}  // namespace platform::complus
