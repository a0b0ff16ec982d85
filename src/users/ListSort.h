#pragma once
// Sorting a report-view list by a column, and the sort arrow in its header. A
// list keeps its sort key (0-based column) and sort order (0 ascending, 1
// descending) as properties and sorts its model (a QTreeWidget through its
// items' own order); the arrow is the header's sort indicator, drawn to
// the right of the sort column's caption, on that column only.

#include <QString>
#include <QTreeView>
#include <cstdint>

namespace users {

// 1 when `order` is 0, otherwise 0.
int16_t ToggleSortOrder(int16_t order);

int listSortKey(const QTreeView* list);
int16_t listSortOrder(const QTreeView* list);
// Records the sort key and order on the list and sorts its rows as text.
void sortList(QTreeView* list, int sortKey, int16_t order);

// Shows the arrow of the list's sort order on the header of its sort column,
// unless that column is named in `noArrowColumns` (1-based indexes, each
// followed by ",", e.g. "2," or "1,2,3,"); every other header shows none.
void ShowColumnHeaderSortIcon(QTreeView* list, const QString& noArrowColumns);
// The 1-based column whose header shows an arrow, 0 when none does.
int sortArrowColumn(const QTreeView* list);

// The sort order of each user-list column: 0 ascending, 1 descending. It
// outlives the list's rows: a reload keeps the orders of the last clicks.
struct SortOrder {
    int16_t column[3] = {0, 0, 0};
};

// Header click on the user list, column 1 to 3: flips that column's sort order,
// sets the other two to descending, sorts and shows the arrow; the selected row
// is scrolled into view and its key put into `lastSelectedKey`.
void ColumnClick(QTreeView* list, SortOrder& order, QString& lastSelectedKey, int column);

// The first sort after a load: the list sorted ascending by name with the first
// row selected, or no arrow at all when the list is empty. Lets the window
// process its messages first.
void SortByFirstColumn(QTreeView* list, SortOrder& order, QString& lastSelectedKey);

// Connects the user list's header clicks to ColumnClick.
void connectColumnClicks(QTreeView* list, SortOrder& order, QString& lastSelectedKey);

}  // namespace users
