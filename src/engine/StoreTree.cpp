#include "engine/StoreTree.h"

#include "kit/MousePointer.h"
#include "directory/tree/Node.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "engine/StoreLoad.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"
#include "platform/exchange/ExchangeServer.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "platform/exchange/StorageGroup.h"

#include <QApplication>
#include <QSignalBlocker>
#include <optional>

namespace tree {
namespace {

using platform::exchange::ExchangeServer;
using platform::exchange::MailboxStoreDB;
using platform::exchange::StorageGroup;

// The program's own changes of the tree's selection are not reported: its
// signals are held back while it makes them.
using ProgramSelection = QSignalBlocker;

void clearTree(engine::StoreLoad& s) {
    ProgramSelection selecting(s.tree);
    s.panel.unload();
    ++s.guard.treeGeneration;
    ++s.guard.loadGeneration;
    s.tree->clear();
}

// A store shown again after a refresh: the remembered name, without regard to
// case; of two namesakes the later, unless one of them is the very store shown
// last (by its distinguished name), which then stays.
bool sameName(const engine::StoreLoad& s, const QString& name) {
    return name.compare(s.form.strLastSelectedMailboxStore, Qt::CaseInsensitive) == 0;
}
bool shownLast(const engine::StoreLoad& s, const QString& dn) {
    return !s.form.lastShownStoreDn.isEmpty() && dn.compare(s.form.lastShownStoreDn, Qt::CaseInsensitive) == 0;
}

QString firstImage(engine::StoreLoad& s, const QString& recipient) {
    if (recipient.isEmpty()) return QStringLiteral("mailboxstore");
    if (s.checkRegItem(recipient) && s.form.blnComPlusInstalled)
        return QStringLiteral("mailboxstoreTavimor");
    return QStringLiteral("mailboxstoreFullJournaling");
}

// Builds the tree; answers the node to show, or nullptr. Throws on failure.
QTreeWidgetItem* buildTree(engine::StoreLoad& s) {
    const ExchangeServer server = ExchangeServer::open(s.form.ComputerName);
    s.ui.form->setWindowTitle(QStringLiteral("Tavimor - Exchange server ") + server.Name() +
                              QLatin1Char(' ') + server.ExchangeVersion());
    s.g.strResponsibleMTAServer = server.fieldText(QStringLiteral("msExchResponsibleMTAServer"));
    s.ui.form->show();

    const uint64_t generation = s.guard.treeGeneration;
    QTreeWidgetItem* toSelect = nullptr;
    for (const QString& groupEntry : server.StorageGroups()) {
        const std::optional<StorageGroup> group = openGroup(groupEntry);
        if (!group) continue;
        QTreeWidgetItem* groupNode = addRoot(s.tree, groupEntry, group->Name(), kStorageGroupImage);
        groupNode->setExpanded(true);

        for (const QString& storeEntry : group->MailboxStoreDBs()) {
            const MailboxStoreDB store = MailboxStoreDB::open(storeEntry);
            const QString recipient =
                rules::trimBlanks(store.fieldText(MailboxStoreDB::kJournalRecipient));
            const QString image = firstImage(s, recipient);
            QTreeWidgetItem* node = addChild(groupNode, store.fieldText(QStringLiteral("distinguishedName")),
                                             store.Name(), image);
            setSettings(node, StoreSettings{recipient, QString(), false});
            node->setExpanded(true);

            if (s.form.strLastSelectedMailboxStore.isEmpty()) s.form.strLastSelectedMailboxStore = store.Name();
            if (sameName(s, store.Name()) && !(toSelect && shownLast(s, tree::key(toSelect)))) {
                selectNode(s, node);
                toSelect = node;
            } else {
                engine::ProcessMailboxStore(s, node, false);
                // A refresh run meanwhile has rebuilt the tree; it owns it now.
                if (s.guard.treeGeneration != generation) return nullptr;
            }
        }
    }
    return toSelect;
}

}  // namespace

std::optional<StorageGroup> openGroup(const QString& entry) {
    try {
        return StorageGroup::open(entry);
    } catch (const platform::ComError& e) {
        if (platform::hexNumber(e.number()) == QLatin1String("C1032221")) return std::nullopt;
        throw;
    }
}

void selectNode(engine::StoreLoad& s, QTreeWidgetItem* node) {
    ProgramSelection selecting(s.tree);
    s.tree->setCurrentItem(node);
}

void GetMailboxStores(engine::StoreLoad& s) {
    clearTree(s);
    const uint64_t generation = s.guard.treeGeneration;
    QTreeWidgetItem* toSelect = nullptr;
    try {
        toSelect = buildTree(s);
    } catch (const platform::ComError& e) {
        s.log.logWithoutContext(e.number(), e.description());
        s.log.show();
        return;
    } catch (const std::exception& e) {
        s.log.logWithoutContext(platform::hr::Fail, QString::fromUtf8(e.what()));
        s.log.show();
        return;
    }
    if (toSelect && s.guard.treeGeneration == generation) {
        selectNode(s, toSelect);
        NodeClick(s, toSelect);
    }
}

void NodeClick(engine::StoreLoad& s, QTreeWidgetItem* node) {
    if (!node) return;
    if (!isMailboxStore(node)) {
        backToLoadedStore(s);
        return;
    }
    kit::setMousePointer(s.ui.form, kit::vbHourglass);
    // Staged edits are dropped without a question.
    s.panel.leaveStaged();
    engine::ProcessMailboxStore(s, node, true);
    kit::setMousePointer(s.tree, kit::vbDefault);
    kit::setMousePointer(s.ui.form, kit::vbDefault);
}

void backToLoadedStore(engine::StoreLoad& s) {
    ProgramSelection selecting(s.tree);
    QTreeWidget* tree = s.tree;
    QTreeWidgetItem* loaded = engine::loadedNode(s.panel, s.tree);
    if (loaded) {
        tree->setCurrentItem(loaded);
    } else if (QTreeWidgetItem* current = tree->currentItem()) {
        current->setSelected(false);
    }
}

void followSelection(engine::StoreLoad& s) {
    QTreeWidgetItem* current = s.tree->currentItem();
    if (!current || current == engine::loadedNode(s.panel, s.tree)) return;
    if (isMailboxStore(current))
        NodeClick(s, current);
    else
        backToLoadedStore(s);
}

void NodeCollapseOrExpand(engine::StoreLoad& s, QTreeWidgetItem*) { backToLoadedStore(s); }

namespace {
// Runs followSelection once the tree has handled the event that moved the
// selection: a mouse button released over the tree (a click, a right click, a
// press dragged elsewhere) or a move the administrator made while no button is
// held (the keyboard). Moves made while a button is held wait for its release.
class SelectionFollower : public QObject {
public:
    explicit SelectionFollower(engine::StoreLoad& s) : QObject(s.tree), load_(s) {
        s.tree->viewport()->installEventFilter(this);
    }
    void schedule() {
        if (scheduled_) return;
        scheduled_ = true;
        QMetaObject::invokeMethod(this, [this] {
            scheduled_ = false;
            if (QApplication::mouseButtons() != Qt::NoButton) return;
            followSelection(load_);
        }, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) schedule();
        return false;
    }

private:
    engine::StoreLoad& load_;
    bool scheduled_ = false;
};
}  // namespace

void connectTreeView(engine::StoreLoad& s) {
    QTreeWidget* tree = s.tree;
    auto* follower = new SelectionFollower(s);
    // A left click loads the clicked store again, also the loaded one (Reset).
    QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                     [&s](QTreeWidgetItem* item, int) { NodeClick(s, item); });
    // Every other move of the selection is followed once it is complete; the
    // program's own selections are not reported (ProgramSelection).
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
                     [follower](QTreeWidgetItem*, QTreeWidgetItem*) { follower->schedule(); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree,
                     [&s](QTreeWidgetItem* item) { NodeCollapseOrExpand(s, item); });
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree,
                     [&s](QTreeWidgetItem* item) { NodeCollapseOrExpand(s, item); });
}

}  // namespace tree
