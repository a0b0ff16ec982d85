#pragma once
// The properties of one item as records and query rows see them: the stored
// property bag plus the properties the store computes (URL, name, folder flags).
// URLs are given in the form (web or file, server, domain folder as written) of
// the URL the reader used.

#include "platform/store/ItemTable.h"
#include "platform/store/StoreUrl.h"

#include <optional>

namespace platform::store::detail {

struct FieldValue {
    QString name;
    int type = 0;
    QVariant value;
};

class ItemView {
public:
    ItemView(Database& db, Item item, StoreUrl form);

    const Item& item() const { return item_; }
    QString url() const { return form_.withPath(item_.path); }

    // The property, or nothing when the item does not have it.
    std::optional<FieldValue> find(const QString& name) const;
    // Every property: stored ones first, then the computed ones not stored.
    std::vector<FieldValue> all() const;

    // Whether the store computes this name (it cannot be written).
    static bool isComputed(const QString& name);

private:
    const std::vector<StoredProp>& stored() const;
    std::optional<FieldValue> computed(const QString& name) const;
    FieldValue present(const StoredProp& p) const;

    Database& db_;
    Item item_;
    StoreUrl form_;
    mutable std::optional<std::vector<StoredProp>> stored_;
};

}  // namespace platform::store::detail
