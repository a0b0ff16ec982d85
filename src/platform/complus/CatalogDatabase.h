#pragma once
// The SQLite file behind the catalog. Opening creates the missing folders (0700)
// and the file (0600) so that stored passwords are readable by their owner only,
// and refuses a symbolic link or a file others could use (PrivateFile.h). A
// read-only opening creates nothing and changes nothing.
// Every failure is a ComError naming the file.

#include "platform/sqlite/Database.h"
#include "platform/sqlite/Statement.h"
#include "platform/sqlite/Transaction.h"

#include <QString>
#include <memory>

namespace platform::complus {

std::shared_ptr<sqlite::Database> openCatalogDatabase(const QString& path, bool readOnly = false);

}  // namespace platform::complus
