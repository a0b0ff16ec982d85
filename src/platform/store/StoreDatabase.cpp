#include "platform/store/StoreDatabase.h"

#include "platform/store/StoreErrors.h"

namespace platform::store::detail {
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
CREATE INDEX IF NOT EXISTS props_fold_value ON props(fold, value);
INSERT OR IGNORE INTO items(id, parent, name, path, key, is_folder) VALUES(1, NULL, '', '', '', 1);
)sql";

[[noreturn]] void storeFailure(const sqlite::Failure& f) {
    switch (f.stage) {
    case sqlite::Stage::Open:
        err::raise(err::StoreFailure, QStringLiteral("The store %1 cannot be opened: %2").arg(f.path, f.message));
    case sqlite::Stage::Exec:
        err::raise(err::StoreFailure, QStringLiteral("The store failed: %1").arg(f.message));
    default:
        err::raise(err::StoreFailure, QStringLiteral("The store failed (%1): %2")
                                          .arg(QLatin1String(sqlite::stageName(f.stage)), f.message));
    }
}

}  // namespace

std::shared_ptr<Database> openDatabase(const QString& file, bool create) {
    sqlite::OpenOptions options;
    options.create = create;
    options.busyTimeoutMs = 10000;
    auto db = std::make_shared<Database>(file, options, &storeFailure);
    // Write-ahead log with full syncs: a committed change survives a crash, an
    // uncommitted one leaves no trace.
    db->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
    if (create) db->exec(kSchema);
    // Stores made before the save events looked properties up by value.
    else db->exec("CREATE INDEX IF NOT EXISTS props_fold_value ON props(fold, value)");
    return db;
}

}  // namespace platform::store::detail
