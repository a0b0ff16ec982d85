#pragma once
// ProcessMailboxStore: loads a mailbox store's state into its tree node (image,
// child nodes, tag) and, when asked, into the panel and the user list. When
// changes are staged, they are written first (StoreServices::applyStagedChanges).

#include "panel/InstallFormUi.h"
#include "panel/PanelModel.h"
#include "engine/StoreServices.h"
#include "state/Forward.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class QTreeWidgetItem;

namespace engine {

// Mode labels of the frame caption.
inline constexpr const char* kModeTavimor = " - Tavimor";
inline constexpr const char* kModeFull = " - Full journaling";
inline constexpr const char* kModeDisabled = " - Journaling disabled";

// Tells a load or a tree rebuild that lets the window process messages whether
// it was overtaken meanwhile.
struct LoadGuard {
    // Counts the starts of panel loads and everything that overtakes one (a tree
    // rebuild, the window closing). A load compares it before and after
    // processing messages and stops when it changed.
    uint64_t loadGeneration = 0;
    // Counts rebuilds of the store tree: a refresh clicked meanwhile deletes
    // every node.
    uint64_t treeGeneration = 0;
};

// What loading a store and rebuilding the tree work on: the store tree (its
// nodes hold each store's kind, name and settings), the frame's controls, the
// program state, the log, progress and prompt, the panel model (what the panel
// and the user list show follows it) and the guard.
struct StoreLoad {
    panel::InstallFormUi& ui;
    QTreeWidget* tree;
    state::Globals& g;
    state::FormState& form;
    state::ErrorLog& log;
    state::ProgressView& progress;
    state::Prompt& prompt;
    panel::PanelModel& panel;
    LoadGuard& guard;
    // The registration check, the classification and Change (liveServices).
    std::shared_ptr<StoreServices> services;

    bool checkRegItem(const QString& mailboxDn, QString* tag = nullptr) const {
        return services->checkRegItem(mailboxDn, tag);
    }
    QString objectType(const QString& address) const { return services->objectType(address); }
};

// `node` is a mailbox-store node; with `blnShowInPanel` it becomes the loaded
// store of the panel model (staged edits are written first only when it already
// is). Answers -1 when nothing could be done (no node, a node that is not a
// store, or the apply refused to start), otherwise 1 or the apply's result.
// Errors of single steps are skipped; a load overtaken while the window
// processed messages stops before it touches a node, tag or the panel again.
// While it runs the panel model is busy (the administrator's clicks on the panel
// are ignored). Staged edits are written first when the panel model holds any
// for this very store.
int16_t ProcessMailboxStore(StoreLoad& s, QTreeWidgetItem* node, bool blnShowInPanel);

// The tree node of the loaded store, found by its distinguished name; nullptr
// when none is loaded or the tree no longer holds it.
QTreeWidgetItem* loadedNode(const panel::PanelModel& panel, const QTreeWidget* tree);
// The tags of every store node but the loaded store's.
QStringList otherStoreTags(const panel::PanelModel& panel, const QTreeWidget* tree);

// A store node's settings in the store tag's exchanged form, and back. The node
// holds them as typed values (tree::settings).
QString nodeTag(const QTreeWidgetItem* node);
void setNodeTag(QTreeWidgetItem* node, const QString& tag);

}  // namespace engine
