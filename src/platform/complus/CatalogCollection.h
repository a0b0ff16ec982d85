#pragma once
// A collection of the catalog ("Applications", or the "Components" of one
// application). It works on a copy: Populate reads the saved objects, Add,
// Remove and SetValue change only the copy, and SaveChanges writes them all in
// one transaction. Changes not saved are lost with the collection.

#include "platform/complus/CatalogObject.h"

#include <QString>
#include <memory>
#include <vector>

namespace platform::sqlite { class Database; }

namespace platform::complus {

class CatalogCollection {
public:
    CatalogCollection(std::shared_ptr<sqlite::Database> db, const CollectionSchema& schema, QString parentKey);

    QString Name() const;
    // Reads the saved objects, dropping unsaved changes. For a related
    // collection, throws ObjectDoesNotExist when the owning application is gone.
    void Populate();
    int Count() const { return static_cast<int>(items_.size()); }
    // The object at an index from 0; throws InvalidArg outside 0..Count-1.
    CatalogObject Item(int index) const;
    // Appends a new object with default values and a fresh "ID".
    CatalogObject Add();
    // Takes the object at an index out of the collection.
    void Remove(int index);
    // Writes all pending changes; answers how many objects changed. On failure
    // nothing is written and the changes stay pending.
    int SaveChanges();

private:
    void checkIndex(int index) const;

    std::shared_ptr<sqlite::Database> db_;
    const CollectionSchema& schema_;
    QString parentKey_;
    std::vector<std::shared_ptr<CatalogEntry>> items_;
    std::vector<std::shared_ptr<CatalogEntry>> removed_;
};

}  // namespace platform::complus
