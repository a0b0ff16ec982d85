#include "platform/sqlite/Statement.h"

#include "platform/sqlite/Database.h"

#include <sqlite3.h>

namespace platform::sqlite {

Statement::Statement(Database& db, const char* sql) : db_(db), stmt_(db.takePrepared(sql)) {}

Statement::~Statement() { db_.giveBack(stmt_); }

Statement& Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        db_.raise(Stage::Bind);
    return *this;
}

Statement& Statement::bindInteger(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) db_.raise(Stage::Bind);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) db_.raise(Stage::Bind);
    return *this;
}

Statement& Statement::bind(int index, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) db_.raise(Stage::Bind);
        return *this;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return bindInteger(index, value.toLongLong());
    case QMetaType::Double:
        return bind(index, value.toDouble());
    default:
        if (value.isNull()) {  // a null pointer
            if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) db_.raise(Stage::Bind);
            return *this;
        }
        return bind(index, value.toString());
    }
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.raise(Stage::Step);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    // The result repeats the last step's failure, which step() has reported already.
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
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

}  // namespace platform::sqlite
