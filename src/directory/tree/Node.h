#pragma once
// Nodes of the store tree with the fields the program reads: Key, Text, Image (a
// picture key; setting it also sets the icon), Expanded, Bold and ForeColor (a
// colour value of kit/Colors.h), and typed values: the node's kind and, for a
// mailbox store, its journaling settings.
//
// Kinds: storage-group nodes at the root, mailbox-store nodes below them (Key =
// the store's distinguished name), and keyless children of a store for its
// journal mailbox and forwarding recipient. A node's kind follows from where it
// is added, never from its picture.

#include "rules/StoreTag.h"

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>

namespace tree {

inline const QString kStorageGroupImage = QStringLiteral("storagegroup");

enum class NodeKind { None, StorageGroup, MailboxStore, Recipient };

// A mailbox store's journaling settings: journal mailbox, forwarding text, "Both".
using StoreSettings = rules::StoreTag;

QString key(const QTreeWidgetItem* node);
QString text(const QTreeWidgetItem* node);
QString image(const QTreeWidgetItem* node);
NodeKind kind(const QTreeWidgetItem* node);
StoreSettings settings(const QTreeWidgetItem* node);
bool bold(const QTreeWidgetItem* node);
uint32_t foreColor(const QTreeWidgetItem* node);

void setKey(QTreeWidgetItem* node, const QString& key);
void setImage(QTreeWidgetItem* node, const QString& imageKey);
void setSettings(QTreeWidgetItem* node, const StoreSettings& settings);
void setBold(QTreeWidgetItem* node, bool bold);
void setForeColor(QTreeWidgetItem* node, uint32_t color);

// A root node, a storage group; `key` may be empty.
QTreeWidgetItem* addRoot(QTreeWidget* tree, const QString& key, const QString& text, const QString& imageKey);
// A child of `parent`; `key` may be empty. Below a storage group it is a mailbox
// store, below a store a journal or forwarding node.
QTreeWidgetItem* addChild(QTreeWidgetItem* parent, const QString& key, const QString& text,
                          const QString& imageKey);
void removeChildren(QTreeWidgetItem* node);

// A node is a mailbox store exactly when it was added as one.
bool isMailboxStore(const QTreeWidgetItem* node);

// Every node of the tree, all levels, in display order.
void forEachNode(const QTreeWidget* tree, const std::function<void(QTreeWidgetItem*)>& visit);

}  // namespace tree
