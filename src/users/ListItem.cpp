#include "users/ListItem.h"

#include "kit/ImageLists.h"
#include "platform/NameOrder.h"

namespace users {
bool ListItem::operator<(const QTreeWidgetItem& other) const {
    // QTreeWidget::sortItems() records the column as the header's sort section
    // before it sorts.
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return platform::compareNames(text(column), other.text(column)) < 0;
}

QString itemKey(const QTreeWidgetItem* item) { return item->data(0, KeyRole).toString(); }
QString smallIcon(const QTreeWidgetItem* item) { return item->data(0, ImageKeyRole).toString(); }

void setItemKey(QTreeWidgetItem* item, const QString& key) { item->setData(0, KeyRole, key); }

void setSmallIcon(QTreeWidgetItem* item, const QString& imageKey) {
    item->setData(0, ImageKeyRole, imageKey);
    item->setIcon(0, kit::images::icon(imageKey));
}

QTreeWidgetItem* findItem(const QTreeWidget* list, const QString& key) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (itemKey(item).compare(key, Qt::CaseInsensitive) == 0) return item;
    }
    return nullptr;
}

}  // namespace users
