#pragma once
// The SQLite file behind the catalog. Opening creates the missing folders (0700)
// and the file (0600) so that stored passwords are readable by their owner only,
// tightens a file of ours that others could read, and refuses a symbolic link.
// Every failure is a ComError hr::Fail naming the file.

#include "platform/sqlite/Database.h"
#include "platform/sqlite/Statement.h"
#include "platform/sqlite/Transaction.h"

#include <QString>
#include <memory>

namespace platform::complus {

std::shared_ptr<sqlite::Database> openCatalogDatabase(const QString& path);

}  // namespace platform::complus
