#include "panel/Context.h"

#include "directory/ObjectType.h"
#include "directory/tree/Node.h"

namespace engine {

bool checkRegItem(Context& ctx, const QString& mailboxDn, QString* tag) {
    return ctx.hooks.CheckRegItem ? ctx.hooks.CheckRegItem(mailboxDn, tag) : false;
}

QTreeWidgetItem* loadedNode(const Context& ctx) {
    if (!ctx.panel.loaded()) return nullptr;
    QTreeWidgetItem* found = nullptr;
    tree::forEachNode(ctx.ui.TreeView1, [&](QTreeWidgetItem* node) {
        if (!found && tree::isMailboxStore(node) && ctx.panel.isLoaded(tree::key(node))) found = node;
    });
    return found;
}

QString objectType(Context& ctx, const QString& address) {
    if (ctx.hooks.GetObjectType) return ctx.hooks.GetObjectType(address);
    return directory::GetObjectType(ctx.g.strLDAPRoot, address);
}

QStringList otherStoreTags(const Context& ctx) {
    QStringList tags;
    const QTreeWidgetItem* loaded = loadedNode(ctx);
    tree::forEachNode(ctx.ui.TreeView1, [&](QTreeWidgetItem* node) {
        if (node != loaded) tags << tree::tag(node);
    });
    return tags;
}

}  // namespace engine
