#include "ctl/StoreView.h"

#include "ctl/Exit.h"
#include "directory/tree/Node.h"
#include "rules/ForwardingText.h"

namespace ctl {
namespace {

QString modeOf(const QString& image) {
    if (image == QLatin1String("mailboxstoreTavimor")) return QStringLiteral("tavimor");
    if (image == QLatin1String("mailboxstoreFullJournaling")) return QStringLiteral("full");
    return QStringLiteral("disabled");
}

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

StoreView storeOf(QTreeWidgetItem* node) {
    StoreView v;
    v.node = node;
    v.name = tree::text(node);
    v.dn = tree::key(node);
    if (QTreeWidgetItem* parent = node->parent()) {
        v.group = tree::text(parent);
        v.groupDn = tree::key(parent);
    }
    v.mode = modeOf(tree::image(node));
    const tree::StoreSettings settings = tree::settings(node);
    v.journalDn = settings.journal;
    v.forwarding = settings.forwarding;
    v.both = settings.both;
    const rules::ForwardingName fwd = rules::splitForwardingText(settings.forwarding);
    v.forwardingAddress = settings.forwarding.isEmpty() ? QString() : fwd.address;
    // The store's children: its journal mailbox when it has a name, then the
    // forwarding recipient when it has one.
    const int children = node->childCount();
    const bool forwardingShown = !fwd.displayName.isEmpty() && children > 0;
    if (children == 2 || (children == 1 && !forwardingShown)) v.journalName = tree::text(node->child(0));
    if (forwardingShown) v.forwardingName = tree::text(node->child(children - 1));
    return v;
}

QList<StoreView> storesOf(const QTreeWidget* tree) {
    QList<StoreView> stores;
    tree::forEachNode(tree, [&](QTreeWidgetItem* node) {
        if (tree::isMailboxStore(node)) stores << storeOf(node);
    });
    return stores;
}

QString pathOf(const StoreView& store) { return store.group + u'/' + store.name; }

QTreeWidgetItem* findStore(const QTreeWidget* tree, const QString& ref) {
    const QString wanted = ref.trimmed();
    QList<StoreView> byDn, byPath, byName;
    for (const StoreView& s : storesOf(tree)) {
        if (same(s.dn, wanted)) byDn << s;
        if (same(pathOf(s), wanted)) byPath << s;
        if (same(s.name, wanted)) byName << s;
    }
    for (const QList<StoreView>* found : {&byDn, &byPath, &byName}) {
        if (found->isEmpty()) continue;
        if (found->size() == 1) return found->front().node;
        QStringList names;
        for (const StoreView& s : *found) names << QStringLiteral("  %1  (%2)").arg(pathOf(s), s.dn);
        throw Error(kUsage, QStringLiteral("the store \"%1\" is ambiguous; it may be:\n%2").arg(wanted, names.join(u'\n')));
    }
    throw Error(kUsage, QStringLiteral("no mailbox store of this server is named \"%1\" (a DN, \"Group/Store\" or a "
                                       "store's name; `tavimorctl stores` lists them)")
                            .arg(wanted));
}

}  // namespace ctl
