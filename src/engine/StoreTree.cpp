#include "engine/StoreTree.h"

#include "kit/MousePointer.h"
#include "directory/tree/Node.h"
#include "panel/Context.h"
#include "engine/StoreLoad.h"
#include "store/StoreTag.h"
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
    ctx.panel.unload();
    ++ctx.treeGeneration;
    ++ctx.loadGeneration;
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

// A store shown again after a refresh: the remembered name, without regard to
// case; of two namesakes the later, unless one of them is the very store shown
// last (by its distinguished name), which then stays.
bool sameName(const engine::Context& ctx, const QString& name) {
    return name.compare(ctx.form.strLastSelectedMailboxStore, Qt::CaseInsensitive) == 0;
}
bool shownLast(const engine::Context& ctx, const QString& dn) {
    return !ctx.form.lastShownStoreDn.isEmpty() && dn.compare(ctx.form.lastShownStoreDn, Qt::CaseInsensitive) == 0;
}

QString firstImage(engine::Context& ctx, const QString& recipient) {
    if (recipient.isEmpty()) return QStringLiteral("mailboxstore");
    if (engine::checkRegItem(ctx, recipient) && ctx.form.blnComPlusInstalled)
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
                store::tag::trimBlanks(store.fieldText(MailboxStoreDB::kJournalRecipient));
            const QString image = firstImage(ctx, recipient);
            QTreeWidgetItem* node = addChild(groupNode, store.fieldText(QStringLiteral("distinguishedName")),
                                             store.Name(), image);
            setTag(node, recipient);
            node->setExpanded(true);

            if (ctx.form.strLastSelectedMailboxStore.isEmpty()) ctx.form.strLastSelectedMailboxStore = store.Name();
            if (sameName(ctx, store.Name()) && !(toSelect && shownLast(ctx, tree::key(toSelect)))) {
                selectNode(ctx, node);
                toSelect = node;
            } else {
                ctx.g.blnChangesPending = false;
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
        backToLoadedStore(ctx);
        return;
    }
    app::setMousePointer(ctx.ui.form, app::vbHourglass);
    ctx.g.blnChangesPending = false;
    engine::ProcessMailboxStore(ctx, node, true);
    app::setMousePointer(ctx.ui.ListView1, app::vbDefault);
    app::setMousePointer(ctx.ui.TreeView1, app::vbDefault);
    app::setMousePointer(ctx.ui.form, app::vbDefault);
}

void backToLoadedStore(engine::Context& ctx) {
    SelectingGuard guard(ctx);
    QTreeWidget* tree = ctx.ui.TreeView1;
    QTreeWidgetItem* loaded = engine::loadedNode(ctx);
    if (loaded) {
        tree->setCurrentItem(loaded);
    } else if (QTreeWidgetItem* current = tree->currentItem()) {
        current->setSelected(false);
    }
}

void followSelection(engine::Context& ctx) {
    QTreeWidgetItem* current = ctx.ui.TreeView1->currentItem();
    if (!current || current == engine::loadedNode(ctx)) return;
    if (isMailboxStore(current))
        NodeClick(ctx, current);
    else
        backToLoadedStore(ctx);
}

void NodeCollapseOrExpand(engine::Context& ctx, QTreeWidgetItem*) { backToLoadedStore(ctx); }

namespace {
// Runs followSelection once the tree has handled the event that moved the
// selection: a mouse button released over the tree (a click, a right click, a
// press dragged elsewhere) or a move the administrator made while no button is
// held (the keyboard). Moves made while a button is held wait for its release.
class SelectionFollower : public QObject {
public:
    explicit SelectionFollower(engine::Context& ctx) : QObject(ctx.ui.TreeView1), ctx_(ctx) {
        ctx.ui.TreeView1->viewport()->installEventFilter(this);
    }
    void schedule() {
        if (scheduled_) return;
        scheduled_ = true;
        QMetaObject::invokeMethod(this, [this] {
            scheduled_ = false;
            if (QApplication::mouseButtons() != Qt::NoButton) return;
            followSelection(ctx_);
        }, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) schedule();
        return false;
    }

private:
    engine::Context& ctx_;
    bool scheduled_ = false;
};
}  // namespace

void connectTreeView(engine::Context& ctx) {
    QTreeWidget* tree = ctx.ui.TreeView1;
    auto* follower = new SelectionFollower(ctx);
    // A left click loads the clicked store again, also the loaded one (Reset).
    QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                     [&ctx](QTreeWidgetItem* item, int) { NodeClick(ctx, item); });
    // Every other move of the selection is followed once it is complete; the
    // program's own selections are not reported.
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [&ctx, follower](QTreeWidgetItem*, QTreeWidgetItem*) {
        if (ctx.selectingTree == 0) follower->schedule();
    });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree,
                     [&ctx](QTreeWidgetItem* item) { NodeCollapseOrExpand(ctx, item); });
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree,
                     [&ctx](QTreeWidgetItem* item) { NodeCollapseOrExpand(ctx, item); });
}

}  // namespace tree
