#pragma once
// What the store tree shows of each store, read off its nodes, and the store a
// command names.

#include <QList>
#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace ctl {

struct StoreView {
    QString group;          // the storage group's name
    QString groupDn;
    QString name;
    QString dn;
    QString mode;           // "tavimor" (per user), "full" or "disabled", from the node's picture
    QString journalDn;      // the store's journal mailbox, "" when none
    QString journalName;    // its name as the tree shows it
    QString forwarding;     // the forwarding text, "" when none
    QString forwardingName; // the forwarding node's name
    QString forwardingAddress;
    bool both = false;
    QTreeWidgetItem* node = nullptr;
};

// Every store of the tree, group by group, as the tree orders them.
QList<StoreView> storesOf(const QTreeWidget* tree);
StoreView storeOf(QTreeWidgetItem* node);

// "Group/Store".
QString pathOf(const StoreView& store);

// The store `ref` names: its distinguished name, "Group/Store" or, when only
// one store has it, the store's name (letter case ignored). Throws
// Error(kUsage) when none does, or when several do (listing them).
QTreeWidgetItem* findStore(const QTreeWidget* tree, const QString& ref);

}  // namespace ctl
