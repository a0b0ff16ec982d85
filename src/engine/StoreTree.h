#pragma once
// The store tree: the storage groups and mailbox stores of the
// Exchange server named by FormState::ComputerName, and the tree's events.

#include "platform/exchange/StorageGroup.h"

#include <QString>
#include <optional>

class QTreeWidgetItem;

namespace engine { struct StoreLoad; }

namespace tree {

// Rebuilds the tree from the Exchange server: a root node per storage group
// (recovery groups are left out), a child per mailbox store with its first
// journaling-mode image and its journal recipient as tag. Sets the window caption
// "Tavimor - Exchange server <name> <version>" and Globals::strResponsibleMTAServer.
// Every store is refreshed once without the panel, except the one named like
// FormState::strLastSelectedMailboxStore (without regard to case; of two such
// stores the later one), which is selected and loaded into the panel. A failure
// writes one error-log entry without context and shows the log; the tree keeps
// the nodes added so far.
void GetMailboxStores(engine::StoreLoad& s);

// A storage group the tree shows; nothing for a recovery group, which it
// leaves out. Throws ComError when the group cannot be read.
std::optional<platform::exchange::StorageGroup> openGroup(const QString& entry);

// Click on a node: a mailbox store is loaded into the panel (staged edits are
// dropped); any other node gives the selection back to the loaded store.
void NodeClick(engine::StoreLoad& s, QTreeWidgetItem* node);

// The selection rule: the selection never rests anywhere but on the loaded
// store. A move onto another store loads it (staged edits are dropped, as a
// click does); a move onto a storage group or a journal or forwarding node is
// put back onto the loaded store.
void followSelection(engine::StoreLoad& s);
// Puts the selection back onto the loaded store (none selected when none is).
void backToLoadedStore(engine::StoreLoad& s);

// A branch was folded or unfolded: the selection stays on the loaded store.
void NodeCollapseOrExpand(engine::StoreLoad& s, QTreeWidgetItem* node);

// Selects `node` as the program (the selection signals are not taken for a click).
void selectNode(engine::StoreLoad& s, QTreeWidgetItem* node);

// Connects the tree's clicks, every other move of its selection (followed
// once the mouse button is released or the key handled), collapse and expand to
// the handlers above.
void connectTreeView(engine::StoreLoad& s);

}  // namespace tree
