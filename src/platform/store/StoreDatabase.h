#pragma once
// The database file of one store, opened the way the store needs it, with every
// SQLite failure reported as err::StoreFailure and SQLite's message.

#include "platform/sqlite/Database.h"
#include "platform/sqlite/Statement.h"

#include <QString>
#include <memory>

namespace platform::store::detail {

using Database = platform::sqlite::Database;
using Statement = platform::sqlite::Statement;

// Opens (and with `create`, creates) the store file and prepares the schema.
std::shared_ptr<Database> openDatabase(const QString& file, bool create);

}  // namespace platform::store::detail
