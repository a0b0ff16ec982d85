#include "platform/complus/CatalogCollection.h"

#include "platform/complus/CatalogDatabase.h"
#include "platform/complus/CatalogErrors.h"
#include "platform/complus/CatalogRows.h"

namespace platform::complus {

CatalogCollection::CatalogCollection(std::shared_ptr<sqlite::Database> db, const CollectionSchema& schema,
                                     QString parentKey)
    : db_(std::move(db)), schema_(schema), parentKey_(std::move(parentKey)) {}

QString CatalogCollection::Name() const { return schema_.name; }

void CatalogCollection::Populate() {
    QString parent;
    if (schema_.related) {
        const auto app = rows::findApplication(*db_, parentKey_);
        if (!app || app->compare(parentKey_, Qt::CaseInsensitive) != 0)
            fail(err::ObjectDoesNotExist,
                 QStringLiteral("The application with the key %1 does not exist").arg(parentKey_));
        parent = *app;
    }
    items_ = rows::load(*db_, schema_, parent);
    removed_.clear();
}

void CatalogCollection::checkIndex(int index) const {
    if (index < 0 || index >= Count())
        fail(hr::InvalidArg, QStringLiteral("Index %1 is outside the %2 collection of %3 objects")
                                 .arg(index)
                                 .arg(schema_.name)
                                 .arg(Count()));
}

CatalogObject CatalogCollection::Item(int index) const {
    checkIndex(index);
    return CatalogObject(items_[index]);
}

CatalogObject CatalogCollection::Add() {
    if (!schema_.allowsAdd)
        fail(err::NotImplemented,
             QStringLiteral("Objects of the %1 collection are created by installing them").arg(schema_.name));
    if (schema_.related && parentKey_.isEmpty())
        fail(err::ObjectDoesNotExist, QStringLiteral("The collection has no owning application"));
    items_.push_back(CatalogEntry::create(schema_, parentKey_));
    return CatalogObject(items_.back());
}

void CatalogCollection::Remove(int index) {
    checkIndex(index);
    if (items_[index]->seq != 0) removed_.push_back(items_[index]);
    items_.erase(items_.begin() + index);
}

int CatalogCollection::SaveChanges() {
    const PropertySpec* name = schema_.find(QStringLiteral("Name"));
    for (const auto& e : items_) {
        if (name->writable && e->values.at(name->name).toString().trimmed().isEmpty())
            fail(err::ObjectInvalid, QStringLiteral("An object of the %1 collection has no name").arg(schema_.name));
    }
    int changed = 0;
    std::vector<CatalogEntry*> inserted;
    {
        sqlite::Transaction tx(*db_);
        for (const auto& e : removed_)
            if (rows::remove(*db_, e->id)) ++changed;
        try {
            for (const auto& e : items_) {
                if (e->seq == 0) {
                    rows::insert(*db_, *e);
                    inserted.push_back(e.get());
                    ++changed;
                } else if (!e->dirty.empty()) {
                    rows::update(*db_, *e);
                    ++changed;
                }
            }
            tx.commit();
        } catch (...) {
            // The rollback undoes the rows; the copy must still count as unsaved.
            for (CatalogEntry* e : inserted) e->seq = 0;
            throw;
        }
    }
    removed_.clear();
    for (const auto& e : items_) e->dirty.clear();
    return changed;
}

}  // namespace platform::complus
