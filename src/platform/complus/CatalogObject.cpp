#include "platform/complus/CatalogObject.h"

#include "platform/complus/CatalogErrors.h"

namespace platform::complus {
namespace {

const PropertySpec& lookup(const CatalogEntry& e, const QString& property) {
    const PropertySpec* spec = e.schema->find(property);
    if (!spec)
        fail(hr::InvalidArg, QStringLiteral("The %1 collection has no property \"%2\"")
                                 .arg(e.schema->name, property));
    return *spec;
}

bool isId(const PropertySpec& spec) { return spec.name == QLatin1String("ID"); }

}  // namespace

std::shared_ptr<CatalogEntry> CatalogEntry::blank(const CollectionSchema& schema, const QString& parentId) {
    auto e = std::make_shared<CatalogEntry>();
    e->schema = &schema;
    e->parentId = parentId;
    for (const PropertySpec& p : schema.properties)
        if (!isId(p)) e->values[p.name] = p.defaultValue;
    return e;
}

std::shared_ptr<CatalogEntry> CatalogEntry::create(const CollectionSchema& schema, const QString& parentId) {
    auto e = blank(schema, parentId);
    e->id = newCatalogId();
    return e;
}

void CatalogEntry::assign(const PropertySpec& spec, const QVariant& value) {
    if (isId(spec)) {
        id = value.toString();
        return;
    }
    values[spec.name] = spec.type == PropertyType::Bool ? QVariant(value.toBool()) : QVariant(value.toString());
    dirty.insert(spec.name);
}

QString CatalogObject::Name() const { return Value(QStringLiteral("Name")).toString(); }

QString CatalogObject::Key() const { return entry_->id; }

QVariant CatalogObject::Value(const QString& property) const {
    const PropertySpec& spec = lookup(*entry_, property);
    if (isId(spec)) return entry_->id;
    const QVariant& v = entry_->values.at(spec.name);
    if (spec.secret) return v.toString().isEmpty() ? QString() : kSecretMask;
    return v;
}

void CatalogObject::SetValue(const QString& property, const QVariant& value) {
    const PropertySpec& spec = lookup(*entry_, property);
    if (!spec.writable)
        fail(hr::InvalidArg, QStringLiteral("The property \"%1\" cannot be changed").arg(spec.name));
    entry_->assign(spec, value);
}

}  // namespace platform::complus
