#include "platform/complus/CatalogRows.h"

#include "platform/complus/CatalogErrors.h"

namespace platform::complus::rows {
namespace {

using Statement = sqlite::Statement;

void writeValue(sqlite::Database& db, int64_t seq, const QString& name, const QVariant& value) {
    Statement(db, "INSERT OR REPLACE INTO properties(object_seq, name, value) VALUES(?1, ?2, ?3)")
        .bind(1, QVariant::fromValue<qlonglong>(seq))
        .bind(2, name)
        .bind(3, value)
        .run();
}

QVariant typed(const PropertySpec& spec, const QVariant& stored) {
    if (!stored.isValid()) return spec.defaultValue;
    return spec.type == PropertyType::Bool ? QVariant(stored.toLongLong() != 0) : QVariant(stored.toString());
}

}  // namespace

std::vector<std::shared_ptr<CatalogEntry>> load(sqlite::Database& db, const CollectionSchema& schema,
                                                const QString& parentId) {
    std::vector<std::shared_ptr<CatalogEntry>> out;
    Statement objects(db, "SELECT seq, id FROM objects WHERE collection = ?1 AND parent_id = ?2 ORDER BY seq");
    objects.bind(1, schema.name).bind(2, parentId);
    while (objects.step()) {
        auto e = CatalogEntry::blank(schema, parentId);
        e->seq = objects.integer(0);
        e->id = objects.text(1);
        out.push_back(std::move(e));
    }
    for (auto& e : out) {
        Statement props(db, "SELECT name, value FROM properties WHERE object_seq = ?1");
        props.bind(1, QVariant::fromValue<qlonglong>(e->seq));
        while (props.step()) {
            if (const PropertySpec* spec = schema.find(props.text(0)))
                e->values[spec->name] = typed(*spec, props.value(1));
        }
    }
    return out;
}

void insert(sqlite::Database& db, CatalogEntry& entry) {
    Statement(db, "INSERT INTO objects(collection, parent_id, id) VALUES(?1, ?2, ?3)")
        .bind(1, entry.schema->name)
        .bind(2, entry.parentId)
        .bind(3, entry.id)
        .run();
    entry.seq = db.lastInsertId();
    for (const auto& [name, value] : entry.values) writeValue(db, entry.seq, name, value);
}

void update(sqlite::Database& db, const CatalogEntry& entry) {
    Statement exists(db, "SELECT 1 FROM objects WHERE seq = ?1 AND id = ?2");
    exists.bind(1, QVariant::fromValue<qlonglong>(entry.seq)).bind(2, entry.id);
    if (!exists.step())
        fail(err::ObjectErrors, QStringLiteral("The object %1 is no longer in the catalog").arg(entry.id));
    for (const QString& name : entry.dirty) writeValue(db, entry.seq, name, entry.values.at(name));
}

bool remove(sqlite::Database& db, const QString& id) {
    Statement(db, "DELETE FROM services WHERE application_id = ?1").bind(1, id).run();
    Statement(db, "DELETE FROM objects WHERE parent_id = ?1").bind(1, id).run();
    Statement(db, "DELETE FROM objects WHERE id = ?1").bind(1, id).run();
    return db.changes() > 0;
}

std::optional<QString> findApplication(sqlite::Database& db, const QString& idOrName) {
    const QString apps = applicationsSchema().name;
    Statement byId(db, "SELECT id FROM objects WHERE collection = ?1 AND id = ?2");
    byId.bind(1, apps).bind(2, idOrName);
    if (byId.step()) return byId.text(0);
    // Names are compared in C++ so that letter case is ignored beyond ASCII too.
    Statement byName(db,
                     "SELECT o.id, p.value FROM objects o JOIN properties p ON p.object_seq = o.seq "
                     "WHERE o.collection = ?1 AND p.name = 'Name' ORDER BY o.seq");
    byName.bind(1, apps);
    while (byName.step())
        if (byName.text(1).compare(idOrName, Qt::CaseInsensitive) == 0) return byName.text(0);
    return std::nullopt;
}

bool nameExists(sqlite::Database& db, const CollectionSchema& schema, const QString& name) {
    Statement s(db,
                "SELECT p.value FROM objects o JOIN properties p ON p.object_seq = o.seq "
                "WHERE o.collection = ?1 AND p.name = 'Name'");
    s.bind(1, schema.name);
    while (s.step())
        if (s.text(0).compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace platform::complus::rows
