#pragma once
// The collections the catalog knows, with the properties of their objects: type,
// default, and whether a caller may write (or only write) them. Property names
// are matched without regard to case.

#include <QString>
#include <QVariant>
#include <vector>

namespace platform::complus {

enum class PropertyType { Text, Bool };

struct PropertySpec {
    QString name;
    PropertyType type;
    QVariant defaultValue;
    bool writable;   // callers may set it through SetValue
    bool secret;     // write-only: reads answer a mask, never the value
};

struct CollectionSchema {
    QString name;
    bool related;    // opened with the key of the owning application
    bool allowsAdd;  // objects are created by Add (else by a catalog call)
    std::vector<PropertySpec> properties;

    const PropertySpec* find(const QString& property) const;
};

const CollectionSchema& applicationsSchema();
const CollectionSchema& componentsSchema();
// The schema of a collection by name, or nullptr.
const CollectionSchema* schemaFor(const QString& collection);

// What a read of a write-only property answers.
inline const QString kSecretMask = QStringLiteral("********");

// A new object identifier: a GUID in braces.
QString newCatalogId();

}  // namespace platform::complus
