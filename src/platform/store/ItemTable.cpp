#include "platform/store/ItemTable.h"

#include "platform/store/StoreErrors.h"
#include "platform/store/Value.h"


namespace platform::store::detail {

QString keyOf(const QStringList& path) { return path.join(QLatin1Char('/')).toCaseFolded(); }

namespace {
Item readItem(const Statement& st) {
    Item it;
    it.id = st.integer(0);
    it.name = st.text(1);
    const QString path = st.text(2);
    it.path = path.isEmpty() ? QStringList() : path.split(QLatin1Char('/'));
    it.folder = st.integer(3) != 0;
    return it;
}
}  // namespace

std::optional<Item> findItem(Database& db, const QStringList& path) {
    auto st = db.prepare("SELECT id, name, path, is_folder FROM items WHERE key = ?");
    st.bind(1, keyOf(path));
    if (!st.step()) return std::nullopt;
    return readItem(st);
}

Item createItem(Database& db, const Item& parent, const QString& name, bool folder) {
    Item it;
    it.name = name;
    it.path = parent.path;
    it.path << name;
    it.folder = folder;
    if (findItem(db, it.path))
        err::raise(err::ItemExists, QStringLiteral("An item named \"%1\" already exists").arg(name));
    auto st = db.prepare("INSERT INTO items(parent, name, path, key, is_folder) VALUES(?, ?, ?, ?, ?)");
    st.bind(1, parent.id).bind(2, name).bind(3, it.path.join(QLatin1Char('/'))).bind(4, keyOf(it.path));
    st.bind(5, static_cast<int64_t>(folder ? 1 : 0));
    st.run();
    it.id = db.lastInsertId();
    return it;
}

void deleteItem(Database& db, int64_t id) {
    auto st = db.prepare("DELETE FROM items WHERE id = ?");
    st.bind(1, id);
    st.run();
}

std::vector<Item> listItems(Database& db, const Item& scope, Traversal traversal) {
    std::vector<Item> out;
    if (traversal == Traversal::Shallow) {
        auto st = db.prepare("SELECT id, name, path, is_folder FROM items WHERE parent = ? ORDER BY id");
        st.bind(1, scope.id);
        while (st.step()) out.push_back(readItem(st));
        return out;
    }
    const bool foldersOnly = traversal == Traversal::Hierarchical;
    // Depth-first, parents before children, siblings in creation order.
    auto childrenOf = [&](int64_t id) {
        std::vector<Item> list;
        auto st = db.prepare(foldersOnly
                                 ? "SELECT id, name, path, is_folder FROM items WHERE parent = ? AND is_folder = 1 "
                                   "ORDER BY id"
                                 : "SELECT id, name, path, is_folder FROM items WHERE parent = ? ORDER BY id");
        st.bind(1, id);
        while (st.step()) list.push_back(readItem(st));
        return list;
    };
    const std::vector<Item> top = childrenOf(scope.id);
    std::vector<Item> work(top.rbegin(), top.rend());
    while (!work.empty()) {
        Item it = work.back();
        work.pop_back();
        out.push_back(it);
        if (it.folder) {
            const auto kids = childrenOf(it.id);
            work.insert(work.end(), kids.rbegin(), kids.rend());
        }
    }
    return out;
}

bool hasSubfolders(Database& db, int64_t id) {
    auto st = db.prepare("SELECT 1 FROM items WHERE parent = ? AND is_folder = 1 LIMIT 1");
    st.bind(1, id);
    return st.step();
}

std::vector<StoredProp> loadProps(Database& db, int64_t id) {
    std::vector<StoredProp> out;
    auto st = db.prepare("SELECT name, type, value FROM props WHERE item = ? ORDER BY rowid");
    st.bind(1, id);
    while (st.step()) {
        StoredProp p;
        p.name = st.text(0);
        p.type = static_cast<int>(st.integer(1));
        p.value = fromStorage(st.value(2), p.type);
        out.push_back(std::move(p));
    }
    return out;
}

void writeProp(Database& db, int64_t id, const StoredProp& prop) {
    auto st = db.prepare(
        "INSERT INTO props(item, fold, name, type, value) VALUES(?, ?, ?, ?, ?) "
        "ON CONFLICT(item, fold) DO UPDATE SET name = excluded.name, type = excluded.type, value = excluded.value");
    st.bind(1, id).bind(2, prop.name.toCaseFolded()).bind(3, prop.name);
    st.bind(4, static_cast<int64_t>(prop.type)).bind(5, toStorage(prop.value, prop.type));
    st.run();
}

void deleteProp(Database& db, int64_t id, const QString& name) {
    auto st = db.prepare("DELETE FROM props WHERE item = ? AND fold = ?");
    st.bind(1, id).bind(2, name.toCaseFolded());
    st.run();
}

}  // namespace platform::store::detail
