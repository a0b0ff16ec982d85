#pragma once
// Rows of the pickers' report lists: Key, Text, SmallIcon key, Tag and sub-item
// texts. Setting an image key also sets the picture (kit::images::icon). Rows
// sort as text, without regard to case, by the column being sorted, in the order
// of the user's locale.

#include "users/ListRoles.h"

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace users {

class ListItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override;
};

QString itemKey(const QTreeWidgetItem* item);
QString smallIcon(const QTreeWidgetItem* item);

void setItemKey(QTreeWidgetItem* item, const QString& key);
void setSmallIcon(QTreeWidgetItem* item, const QString& imageKey);

// The row with a key, compared without regard to case; nullptr when none.
QTreeWidgetItem* findItem(const QTreeWidget* list, const QString& key);

}  // namespace users
