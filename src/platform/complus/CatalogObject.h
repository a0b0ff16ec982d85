#pragma once
// One object of a catalog collection (an application or a component). It is a
// handle on the collection's copy: changes through it are part of the
// collection's pending changes and reach the catalog only with SaveChanges.

#include "platform/complus/CollectionSchema.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>
#include <memory>
#include <set>

namespace platform::complus {

// The in-memory state of one object.
struct CatalogEntry {
    const CollectionSchema* schema = nullptr;
    int64_t seq = 0;                      // row in the catalog; 0 while unsaved
    QString id;                           // "ID", a GUID in braces
    QString parentId;                     // owning application of a component
    std::map<QString, QVariant> values;   // by the schema's property name, "ID" excluded
    std::set<QString> dirty;              // properties changed since the last save

    // An object with the schema's defaults and no ID yet.
    static std::shared_ptr<CatalogEntry> blank(const CollectionSchema& schema, const QString& parentId);
    // A new object with the schema's defaults and a fresh ID.
    static std::shared_ptr<CatalogEntry> create(const CollectionSchema& schema, const QString& parentId);
    // Sets a value converted to the property's type, with no write check.
    void assign(const PropertySpec& spec, const QVariant& value);
};

class CatalogObject {
public:
    explicit CatalogObject(std::shared_ptr<CatalogEntry> entry) : entry_(std::move(entry)) {}

    // The object's name (an application's "Name", a component's class name).
    QString Name() const;
    // The object's key, its "ID".
    QString Key() const;
    // A property; write-only properties answer a mask. Throws InvalidArg for
    // an unknown name.
    QVariant Value(const QString& property) const;
    // Changes a property in the collection's copy. Throws InvalidArg for an
    // unknown or read-only property.
    void SetValue(const QString& property, const QVariant& value);

private:
    std::shared_ptr<CatalogEntry> entry_;
};

}  // namespace platform::complus
