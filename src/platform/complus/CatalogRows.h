#pragma once
// Reading and writing catalog objects as rows of the catalog database. All
// functions run inside the caller's transaction, if any.

#include "platform/complus/CatalogDatabase.h"
#include "platform/complus/CatalogObject.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace platform::complus::rows {

// The saved objects of a collection (of one application, for related ones), in
// the order they were added.
std::vector<std::shared_ptr<CatalogEntry>> load(sqlite::Database& db, const CollectionSchema& schema,
                                                const QString& parentId);
// Inserts a new object with all its values; sets its seq.
void insert(sqlite::Database& db, CatalogEntry& entry);
// Writes the changed values of a saved object. Throws ObjectErrors when the
// object is no longer in the catalog.
void update(sqlite::Database& db, const CatalogEntry& entry);
// Deletes an object with everything that belongs to it (components, service);
// false when it was no longer there.
bool remove(sqlite::Database& db, const QString& id);
// The ID of the application with that ID, or else the first with that name
// (letter case ignored).
std::optional<QString> findApplication(sqlite::Database& db, const QString& idOrName);
// Whether an object of the collection has the given "Name" (letter case ignored).
bool nameExists(sqlite::Database& db, const CollectionSchema& schema, const QString& name);

}  // namespace platform::complus::rows
