#pragma once
// Nodes of the store tree (TreeView1) with the fields the program reads: Key,
// Text, Image (a picture key; setting it also sets the icon), Tag, Expanded,
// Bold and ForeColor (a colour value of app/Colors.h).
//
// Kinds: storage-group nodes at the root (image "storagegroup"), mailbox-store
// nodes below them (Key = the store's distinguished name, Tag = the store tag,
// image key beginning with "mailboxstore"), and keyless children of a store for
// its journal mailbox and forwarding recipient.

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>

namespace tree {

inline const QString kStorageGroupImage = QStringLiteral("storagegroup");

QString key(const QTreeWidgetItem* node);
QString text(const QTreeWidgetItem* node);
QString image(const QTreeWidgetItem* node);
QString tag(const QTreeWidgetItem* node);
bool bold(const QTreeWidgetItem* node);
uint32_t foreColor(const QTreeWidgetItem* node);

void setKey(QTreeWidgetItem* node, const QString& key);
void setImage(QTreeWidgetItem* node, const QString& imageKey);
void setTag(QTreeWidgetItem* node, const QString& tag);
void setBold(QTreeWidgetItem* node, bool bold);
void setForeColor(QTreeWidgetItem* node, uint32_t color);

// A root node; `key` may be empty.
QTreeWidgetItem* addRoot(QTreeWidget* tree, const QString& key, const QString& text, const QString& imageKey);
// A child of `parent`; `key` may be empty.
QTreeWidgetItem* addChild(QTreeWidgetItem* parent, const QString& key, const QString& text,
                          const QString& imageKey);
void removeChildren(QTreeWidgetItem* node);

// A node is a mailbox store exactly when its image key is longer than 11
// characters and begins with "mailboxstore", without regard to case.
bool isMailboxStore(const QTreeWidgetItem* node);

// Every node of the tree, all levels, in display order.
void forEachNode(const QTreeWidget* tree, const std::function<void(QTreeWidgetItem*)>& visit);

}  // namespace tree
