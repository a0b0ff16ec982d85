#include "platform/store/ItemView.h"

#include "platform/store/Schema.h"
#include "platform/store/Value.h"

namespace platform::store::detail {
namespace {
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

const QStringList& computedNames() {
    static const QStringList names{schema::kHref, schema::kDisplayName, schema::kIsFolder, schema::kHasSubs,
                                   schema::permanentUrl()};
    return names;
}
// Defaults of stored properties that an item has even when never written.
const QStringList& defaultedNames() {
    static const QStringList names{schema::kIsHidden, schema::kContentClass};
    return names;
}
}  // namespace

ItemView::ItemView(Database& db, Item item, StoreUrl form) : db_(db), item_(std::move(item)), form_(std::move(form)) {}

bool ItemView::isComputed(const QString& name) {
    for (const QString& n : computedNames())
        if (same(n, name)) return true;
    return false;
}

const std::vector<StoredProp>& ItemView::stored() const {
    if (!stored_) stored_ = loadProps(db_, item_.id);
    return *stored_;
}

FieldValue ItemView::present(const StoredProp& p) const {
    if (p.type == LinkType) {
        const QString path = p.value.toString();
        return {p.name, adType::VarWChar,
                form_.withPath(path.isEmpty() ? QStringList() : path.split(QLatin1Char('/')))};
    }
    return {p.name, p.type, p.value};
}

std::optional<FieldValue> ItemView::computed(const QString& name) const {
    if (same(name, schema::kHref) || same(name, schema::permanentUrl()))
        return FieldValue{name, adType::VarWChar, url()};
    if (same(name, schema::kDisplayName)) return FieldValue{name, adType::VarWChar, item_.name};
    if (same(name, schema::kIsFolder)) return FieldValue{name, adType::Boolean, item_.folder};
    if (same(name, schema::kHasSubs))
        return FieldValue{name, adType::Boolean, item_.folder && hasSubfolders(db_, item_.id)};
    if (same(name, schema::kIsHidden)) return FieldValue{name, adType::Boolean, false};
    if (same(name, schema::kContentClass))
        return FieldValue{name, adType::VarWChar,
                          item_.folder ? QStringLiteral("urn:content-class:folder")
                                       : QStringLiteral("urn:content-class:item")};
    return std::nullopt;
}

std::optional<FieldValue> ItemView::find(const QString& name) const {
    if (isComputed(name)) return computed(name);
    for (const StoredProp& p : stored())
        if (same(p.name, name)) return present(p);
    return computed(name);
}

std::vector<FieldValue> ItemView::all() const {
    std::vector<FieldValue> out;
    for (const StoredProp& p : stored()) out.push_back(present(p));
    auto has = [&](const QString& n) {
        for (const FieldValue& f : out)
            if (same(f.name, n)) return true;
        return false;
    };
    for (const QString& n : computedNames() + defaultedNames())
        if (!has(n)) out.push_back(*computed(n));
    return out;
}

}  // namespace platform::store::detail
