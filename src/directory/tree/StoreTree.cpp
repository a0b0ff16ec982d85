#include "directory/tree/StoreTree.h"

#include "app/MousePointer.h"
#include "directory/tree/Node.h"
#include "engine/Context.h"
#include "engine/StoreLoad.h"
#include "engine/StoreTag.h"
#include "platform/ComError.h"
#include "platform/exchange/ExchangeServer.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "platform/exchange/StorageGroup.h"

#include <QApplication>
#include <optional>

namespace tree {
namespace {

using platform::exchange::ExchangeServer;
using platform::exchange::MailboxStoreDB;
using platform::exchange::StorageGroup;

struct SelectingGuard {
    explicit SelectingGuard(engine::Context& c) : ctx(c) { ++ctx.selectingTree; }
    ~SelectingGuard() { --ctx.selectingTree; }
    engine::Context& ctx;
};

void clearTree(engine::Context& ctx) {
    SelectingGuard guard(ctx);
    ctx.glLastNode = nullptr;
    ++ctx.treeGeneration;
    ctx.ui.TreeView1->clear();
}

std::optional<StorageGroup> openGroup(const QString& entry) {
    try {
        return StorageGroup::open(entry);
    } catch (const platform::ComError& e) {
        if (platform::hexNumber(e.number()) == QLatin1String("C1032221")) return std::nullopt;
        throw;
    }
}

QString firstImage(engine::Context& ctx, const QString& recipient) {
    if (recipient.isEmpty()) return QStringLiteral("mailboxstore");
    if (engine::checkRegItem(ctx, recipient, false) && ctx.form.blnComPlusInstalled)
        return QStringLiteral("mailboxstoreTavimor");
    return QStringLiteral("mailboxstoreFullJournaling");
}

// Builds the tree; answers the node to show, or nullptr. Throws on failure.
QTreeWidgetItem* buildTree(engine::Context& ctx) {
    const ExchangeServer server = ExchangeServer::open(ctx.form.ComputerName);
    if (ctx.ui.form)
        ctx.ui.form->setWindowTitle(QStringLiteral("Tavimor - Exchange server ") + server.Name() +
                                    QLatin1Char(' ') + server.ExchangeVersion());
    ctx.g.strResponsibleMTAServer = server.fieldText(QStringLiteral("msExchResponsibleMTAServer"));
    if (ctx.ui.form) ctx.ui.form->show();

    const uint64_t generation = ctx.treeGeneration;
    QTreeWidgetItem* toSelect = nullptr;
    for (const QString& groupEntry : server.StorageGroups()) {
        const std::optional<StorageGroup> group = openGroup(groupEntry);
        if (!group) continue;
        QTreeWidgetItem* groupNode = addRoot(ctx.ui.TreeView1, groupEntry, group->Name(), kStorageGroupImage);
        groupNode->setExpanded(true);

        for (const QString& storeEntry : group->MailboxStoreDBs()) {
            const MailboxStoreDB store = MailboxStoreDB::open(storeEntry);
            const QString recipient =
                engine::trimBlanks(store.fieldText(MailboxStoreDB::kJournalRecipient));
            const QString image = firstImage(ctx, recipient);
            QTreeWidgetItem* node = addChild(groupNode, store.fieldText(QStringLiteral("distinguishedName")),
                                             store.Name(), image);
            setTag(node, recipient);
            node->setExpanded(true);

            if (ctx.form.strLastSelectedMailboxStore.isEmpty()) ctx.form.strLastSelectedMailboxStore = store.Name();
            if (store.Name().compare(ctx.form.strLastSelectedMailboxStore, Qt::CaseInsensitive) == 0) {
                selectNode(ctx, node);
                toSelect = node;
            } else {
                ctx.g.blnChangesPending = false;
                selectNode(ctx, node);
                engine::ProcessMailboxStore(ctx, node, false);
                // A refresh run meanwhile has rebuilt the tree; it owns it now.
                if (ctx.treeGeneration != generation) return nullptr;
            }
        }
    }
    return toSelect;
}

}  // namespace

void selectNode(engine::Context& ctx, QTreeWidgetItem* node) {
    SelectingGuard guard(ctx);
    ctx.ui.TreeView1->setCurrentItem(node);
}

void GetMailboxStores(engine::Context& ctx) {
    clearTree(ctx);
    const uint64_t generation = ctx.treeGeneration;
    QTreeWidgetItem* toSelect = nullptr;
    try {
        toSelect = buildTree(ctx);
    } catch (const platform::ComError& e) {
        ctx.log.logWithoutContext(e.number(), e.description());
        ctx.log.show();
        return;
    } catch (const std::exception& e) {
        ctx.log.logWithoutContext(platform::hr::Fail, QString::fromUtf8(e.what()));
        ctx.log.show();
        return;
    }
    if (toSelect && ctx.treeGeneration == generation) {
        selectNode(ctx, toSelect);
        NodeClick(ctx, toSelect);
    }
}

void NodeClick(engine::Context& ctx, QTreeWidgetItem* node) {
    if (!node) return;
    if (!isMailboxStore(node)) {
        SelectingGuard guard(ctx);
        node->setSelected(false);
        if (ctx.glLastNode) ctx.ui.TreeView1->setCurrentItem(ctx.glLastNode);
        return;
    }
    const uint64_t generation = ctx.treeGeneration;
    app::setMousePointer(ctx.ui.form, app::vbHourglass);
    ctx.g.blnChangesPending = false;
    engine::ProcessMailboxStore(ctx, node, true);
    app::setMousePointer(ctx.ui.ListView1, app::vbDefault);
    app::setMousePointer(ctx.ui.TreeView1, app::vbDefault);
    app::setMousePointer(ctx.ui.form, app::vbDefault);
    if (ctx.treeGeneration == generation) ctx.glLastNode = node;
}

void NodeCollapseOrExpand(engine::Context& ctx, QTreeWidgetItem*) {
    if (ctx.glLastNode) selectNode(ctx, ctx.glLastNode);
}

void connectTreeView(engine::Context& ctx) {
    QTreeWidget* tree = ctx.ui.TreeView1;
    QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                     [&ctx](QTreeWidgetItem* item, int) { NodeClick(ctx, item); });
    // Moving the selection onto a store with the keyboard loads it like a click, so
    // the panel shows the store that Change would write to. Mouse presses are left
    // to itemClicked, and the program's own selections are not reported.
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [&ctx](QTreeWidgetItem* current, QTreeWidgetItem*) {
        if (ctx.selectingTree > 0 || !isMailboxStore(current) || QApplication::mouseButtons() != Qt::NoButton)
            return;
        NodeClick(ctx, current);
    });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree,
                     [&ctx](QTreeWidgetItem* item) { NodeCollapseOrExpand(ctx, item); });
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree,
                     [&ctx](QTreeWidgetItem* item) { NodeCollapseOrExpand(ctx, item); });
}

}  // namespace tree
