#pragma once
// Where the stores live: the directory $TAVIMOR_STORE_ROOT (default
// /var/lib/tavimor/backofficestorage) holds one sub-directory per domain folder,
// each holding that domain's store database. Listing the root's sub-directories is
// therefore the listing of the store's file-system root.

#include <QString>
#include <QStringList>
#include <memory>

namespace platform::sqlite { class Database; }

namespace platform::store {

namespace detail { using Database = platform::sqlite::Database; }

QString storeRoot();

// Sub-directory names of the store root (empty when it cannot be listed).
QStringList listStoreRoot();

// Creates the domain folder and its empty store when missing; folders that did
// not exist yet, the root too, are made readable by their owner only.
// Throws ComError when the name is unusable or the store cannot be created.
void createStore(const QString& domainFolder);

namespace detail {
// The directory of the domain folder whose name matches without regard to case;
// "" when there is none.
QString domainDirectory(const QString& domainFolder);
// Opens the store of a domain folder; throws err::StoreNotFound when it is absent.
std::shared_ptr<Database> openStore(const QString& domainFolder);
}  // namespace detail

}  // namespace platform::store
