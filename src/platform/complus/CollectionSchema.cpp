#include "platform/complus/CollectionSchema.h"

#include <QUuid>

namespace platform::complus {

const PropertySpec* CollectionSchema::find(const QString& property) const {
    for (const PropertySpec& p : properties)
        if (p.name.compare(property, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

const CollectionSchema& applicationsSchema() {
    static const CollectionSchema s{
        QStringLiteral("Applications"), false, true,
        {
            {QStringLiteral("ID"), PropertyType::Text, QString(), false, false},
            {QStringLiteral("Name"), PropertyType::Text, QStringLiteral("New Application"), true, false},
            {QStringLiteral("Identity"), PropertyType::Text, QStringLiteral("Interactive User"), true, false},
            {QStringLiteral("Password"), PropertyType::Text, QString(), true, true},
            {QStringLiteral("ApplicationAccessChecksEnabled"), PropertyType::Bool, true, true, false},
        }};
    return s;
}

const CollectionSchema& componentsSchema() {
    static const CollectionSchema s{
        QStringLiteral("Components"), true, false,
        {
            {QStringLiteral("ID"), PropertyType::Text, QString(), false, false},
            {QStringLiteral("Name"), PropertyType::Text, QString(), false, false},
            {QStringLiteral("DLL"), PropertyType::Text, QString(), false, false},
            {QStringLiteral("Version"), PropertyType::Text, QString(), false, false},
            {QStringLiteral("ConstructionEnabled"), PropertyType::Bool, false, true, false},
            {QStringLiteral("ConstructorString"), PropertyType::Text, QString(), true, false},
        }};
    return s;
}

const CollectionSchema* schemaFor(const QString& collection) {
    for (const CollectionSchema* s : {&applicationsSchema(), &componentsSchema()})
        if (s->name.compare(collection, Qt::CaseInsensitive) == 0) return s;
    return nullptr;
}

QString newCatalogId() { return QUuid::createUuid().toString(QUuid::WithBraces); }

}  // namespace platform::complus
