#pragma once
// Rows of a report-view list (the user list ListView1, and the pickers' lists):
// Key, Text, SmallIcon key, Tag, sub-items with a text and an image key each,
// ForeColor (a colour value of app/Colors.h) and Bold. Setting an image key also
// sets the picture (kit::images::icon). Rows sort as text, without regard to
// case, by the column being sorted, in the order of the user's locale.

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>

namespace users {

class ListItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override;
};

inline const QString kChecked = QStringLiteral("checked");
inline const QString kUnchecked = QStringLiteral("unchecked");
// Sub-item texts of a switch, chosen so that a sort puts "off" before "on".
inline const QString kSwitchOnText = QStringLiteral("  ");
inline const QString kSwitchOffText = QStringLiteral(" ");

QString itemKey(const QTreeWidgetItem* item);
QString itemTag(const QTreeWidgetItem* item);
QString smallIcon(const QTreeWidgetItem* item);
// Sub-items are numbered from 1 (column 2 of the list).
QString subItemText(const QTreeWidgetItem* item, int index);
QString subItemImage(const QTreeWidgetItem* item, int index);
uint32_t itemForeColor(const QTreeWidgetItem* item);
bool itemBold(const QTreeWidgetItem* item);

void setItemKey(QTreeWidgetItem* item, const QString& key);
void setItemTag(QTreeWidgetItem* item, const QString& tag);
void setSmallIcon(QTreeWidgetItem* item, const QString& imageKey);
void setSubItem(QTreeWidgetItem* item, int index, const QString& text, const QString& imageKey);
void setSubItemImage(QTreeWidgetItem* item, int index, const QString& imageKey);
void setItemForeColor(QTreeWidgetItem* item, uint32_t color);
void setItemBold(QTreeWidgetItem* item, bool bold);

// A switch sub-item in the state `on` ("  " + "checked", or " " + "unchecked").
void setSwitch(QTreeWidgetItem* item, int index, bool on);
// A switch counts as off when its image is "unchecked" or it has no image.
bool switchOff(const QTreeWidgetItem* item, int index);

// The row with a key, compared without regard to case; nullptr when none.
QTreeWidgetItem* findItem(const QTreeWidget* list, const QString& key);

}  // namespace users
