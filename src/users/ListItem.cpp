#include "users/ListItem.h"

#include "kit/Colors.h"
#include "kit/ImageLists.h"
#include "platform/NameOrder.h"

#include <QApplication>
#include <algorithm>

namespace users {
namespace {
enum Role { KeyRole = Qt::UserRole + 1, TagRole, ImageRole, ForeColorRole };
}

bool ListItem::operator<(const QTreeWidgetItem& other) const {
    // QTreeWidget::sortItems() records the column as the header's sort section
    // before it sorts.
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return platform::compareNames(text(column), other.text(column)) < 0;
}

QString itemKey(const QTreeWidgetItem* item) { return item->data(0, KeyRole).toString(); }
QString itemTag(const QTreeWidgetItem* item) { return item->data(0, TagRole).toString(); }
QString smallIcon(const QTreeWidgetItem* item) { return item->data(0, ImageRole).toString(); }
QString subItemText(const QTreeWidgetItem* item, int index) { return item->text(index); }
QString subItemImage(const QTreeWidgetItem* item, int index) { return item->data(index, ImageRole).toString(); }
uint32_t itemForeColor(const QTreeWidgetItem* item) {
    const QVariant v = item->data(0, ForeColorRole);
    return v.isValid() ? v.toUInt() : kit::kBlack;
}
bool itemBold(const QTreeWidgetItem* item) { return item->font(0).bold(); }

void setItemKey(QTreeWidgetItem* item, const QString& key) { item->setData(0, KeyRole, key); }
void setItemTag(QTreeWidgetItem* item, const QString& tag) { item->setData(0, TagRole, tag); }

void setSmallIcon(QTreeWidgetItem* item, const QString& imageKey) {
    item->setData(0, ImageRole, imageKey);
    item->setIcon(0, kit::images::icon(imageKey));
}

void setSubItem(QTreeWidgetItem* item, int index, const QString& text, const QString& imageKey) {
    item->setText(index, text);
    setSubItemImage(item, index, imageKey);
}

void setSubItemImage(QTreeWidgetItem* item, int index, const QString& imageKey) {
    item->setData(index, ImageRole, imageKey);
    item->setIcon(index, kit::images::icon(imageKey));
}

void setItemForeColor(QTreeWidgetItem* item, uint32_t color) {
    item->setData(0, ForeColorRole, QVariant::fromValue<uint>(color));
    const int columns = std::max(1, item->columnCount());
    for (int c = 0; c < columns; ++c) {
        if (color == kit::kBlack)
            item->setData(c, Qt::ForegroundRole, QVariant());
        else
            item->setForeground(c, kit::toQColor(color, QApplication::palette()));
    }
}

void setItemBold(QTreeWidgetItem* item, bool bold) {
    const int columns = std::max(1, item->columnCount());
    for (int c = 0; c < columns; ++c) {
        QFont f = item->font(c);
        f.setBold(bold);
        item->setFont(c, f);
    }
}

void setSwitch(QTreeWidgetItem* item, int index, bool on) {
    setSubItem(item, index, on ? kSwitchOnText : kSwitchOffText, on ? kChecked : kUnchecked);
}

bool switchOff(const QTreeWidgetItem* item, int index) {
    const QString img = subItemImage(item, index);
    return img == kUnchecked || img.isEmpty();
}

QTreeWidgetItem* findItem(const QTreeWidget* list, const QString& key) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (itemKey(item).compare(key, Qt::CaseInsensitive) == 0) return item;
    }
    return nullptr;
}

}  // namespace users
