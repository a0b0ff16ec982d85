#pragma once
// The items of one store and their property bags, as kept in SQLite. An item is a
// folder or a message-like item; its key is its path below the domain folder,
// case-folded, so names are matched without regard to case.

#include "platform/store/StoreDatabase.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::store::detail {

struct Item {
    int64_t id = 0;
    QString name;
    QStringList path;  // names as created
    bool folder = false;
};

enum class Traversal { Shallow, Deep, Hierarchical };

struct StoredProp {
    QString name;
    int type = 0;
    QVariant value;  // typed (fromStorage)
};

QString keyOf(const QStringList& path);

std::optional<Item> findItem(Database& db, const QStringList& path);
// Creates `name` under `parent`; throws err::ItemExists when the key is taken.
Item createItem(Database& db, const Item& parent, const QString& name, bool folder);
// Deletes the item with everything below it and all their properties.
void deleteItem(Database& db, int64_t id);
// Items below `scope`: its children (shallow), all descendants (deep) or all
// descendant folders (hierarchical), parents before children, in creation order
// among siblings.
std::vector<Item> listItems(Database& db, const Item& scope, Traversal traversal);
bool hasSubfolders(Database& db, int64_t id);

std::vector<StoredProp> loadProps(Database& db, int64_t id);
void writeProp(Database& db, int64_t id, const StoredProp& prop);
void deleteProp(Database& db, int64_t id, const QString& name);

}  // namespace platform::store::detail
