#include "platform/complus/CatalogDatabase.h"

#include "platform/ComError.h"
#include "platform/complus/PrivateFile.h"

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

[[noreturn]] void catalogFailure(const sqlite::Failure& f) {
    if (f.stage == sqlite::Stage::Open)
        throw ComError(hr::Fail, QStringLiteral("The catalog %1 cannot be opened: %2").arg(f.path, f.message));
    throw ComError(hr::Fail, QStringLiteral("The catalog %1 failed (%2): %3")
                                 .arg(f.path, QLatin1String(sqlite::stageName(f.stage)), f.message));
}

}  // namespace

std::shared_ptr<sqlite::Database> openCatalogDatabase(const QString& path, bool readOnly) {
    readOnly ? checkPrivateFileForReading(path) : preparePrivateFile(path);
    sqlite::OpenOptions options;
    options.readOnly = readOnly;
    options.noFollow = true;
    options.serialized = true;
    options.busyTimeoutMs = 5000;
    auto db = std::make_shared<sqlite::Database>(path, options, &catalogFailure);
    db->exec("PRAGMA foreign_keys = ON");
    if (!readOnly) db->exec(kSchema);
    return db;
}

}  // namespace platform::complus
