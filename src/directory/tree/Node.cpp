#include "directory/tree/Node.h"

#include "kit/Colors.h"
#include "kit/ImageLists.h"

#include <QApplication>

namespace tree {
namespace {
enum Role { KeyRole = Qt::UserRole + 1, ImageRole, KindRole, SettingsRole, ForeColorRole };
}

QString key(const QTreeWidgetItem* node) { return node ? node->data(0, KeyRole).toString() : QString(); }
QString text(const QTreeWidgetItem* node) { return node ? node->text(0) : QString(); }
QString image(const QTreeWidgetItem* node) { return node ? node->data(0, ImageRole).toString() : QString(); }
NodeKind kind(const QTreeWidgetItem* node) {
    return node ? static_cast<NodeKind>(node->data(0, KindRole).toInt()) : NodeKind::None;
}
StoreSettings settings(const QTreeWidgetItem* node) {
    return node ? node->data(0, SettingsRole).value<StoreSettings>() : StoreSettings{};
}
bool bold(const QTreeWidgetItem* node) { return node && node->font(0).bold(); }
uint32_t foreColor(const QTreeWidgetItem* node) {
    if (!node) return kit::kBlack;
    const QVariant v = node->data(0, ForeColorRole);
    return v.isValid() ? v.toUInt() : kit::kBlack;
}

void setKey(QTreeWidgetItem* node, const QString& key) { node->setData(0, KeyRole, key); }

void setImage(QTreeWidgetItem* node, const QString& imageKey) {
    node->setData(0, ImageRole, imageKey);
    node->setIcon(0, kit::images::icon(imageKey));
}

void setSettings(QTreeWidgetItem* node, const StoreSettings& settings) {
    node->setData(0, SettingsRole, QVariant::fromValue(settings));
}

void setBold(QTreeWidgetItem* node, bool bold) {
    QFont f = node->font(0);
    f.setBold(bold);
    node->setFont(0, f);
}

void setForeColor(QTreeWidgetItem* node, uint32_t color) {
    node->setData(0, ForeColorRole, QVariant::fromValue<uint>(color));
    if (color == kit::kBlack)
        node->setData(0, Qt::ForegroundRole, QVariant());
    else
        node->setForeground(0, kit::toQColor(color, QApplication::palette()));
}

namespace {
void fill(QTreeWidgetItem* node, NodeKind kind, const QString& key, const QString& text, const QString& imageKey) {
    node->setData(0, KindRole, static_cast<int>(kind));
    node->setText(0, text);
    if (!key.isEmpty()) setKey(node, key);
    setImage(node, imageKey);
}
}  // namespace

QTreeWidgetItem* addRoot(QTreeWidget* tree, const QString& key, const QString& text, const QString& imageKey) {
    auto* node = new QTreeWidgetItem;
    fill(node, NodeKind::StorageGroup, key, text, imageKey);
    tree->addTopLevelItem(node);
    return node;
}

QTreeWidgetItem* addChild(QTreeWidgetItem* parent, const QString& key, const QString& text,
                          const QString& imageKey) {
    auto* node = new QTreeWidgetItem;
    fill(node, kind(parent) == NodeKind::StorageGroup ? NodeKind::MailboxStore : NodeKind::Recipient, key, text,
         imageKey);
    parent->addChild(node);
    return node;
}

void removeChildren(QTreeWidgetItem* node) {
    const QList<QTreeWidgetItem*> children = node->takeChildren();
    qDeleteAll(children);
}

bool isMailboxStore(const QTreeWidgetItem* node) { return kind(node) == NodeKind::MailboxStore; }

namespace {
void visitBelow(QTreeWidgetItem* node, const std::function<void(QTreeWidgetItem*)>& visit) {
    visit(node);
    for (int i = 0; i < node->childCount(); ++i) visitBelow(node->child(i), visit);
}
}  // namespace

void forEachNode(const QTreeWidget* tree, const std::function<void(QTreeWidgetItem*)>& visit) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) visitBelow(tree->topLevelItem(i), visit);
}

}  // namespace tree
