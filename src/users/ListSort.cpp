#include "users/ListSort.h"

#include "users/ListRoles.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeWidget>

namespace users {
namespace {
constexpr char kSortKey[] = "sortKey";
constexpr char kSortOrder[] = "sortOrder";
constexpr char kArrowColumn[] = "sortArrowColumn";
constexpr int kFirstSortYields = 700;
}  // namespace

int16_t ToggleSortOrder(int16_t order) { return order == 0 ? 1 : 0; }

int listSortKey(const QTreeView* list) { return list->property(kSortKey).toInt(); }
int16_t listSortOrder(const QTreeView* list) { return static_cast<int16_t>(list->property(kSortOrder).toInt()); }

void sortList(QTreeView* list, int sortKey, int16_t order) {
    list->setProperty(kSortKey, sortKey);
    list->setProperty(kSortOrder, static_cast<int>(order));
    const Qt::SortOrder o = order == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (auto* items = qobject_cast<QTreeWidget*>(list))
        items->sortItems(sortKey, o);
    else if (list->model())
        list->model()->sort(sortKey, o);
}

void ShowColumnHeaderSortIcon(QTreeView* list, const QString& noArrowColumns) {
    QHeaderView* header = list->header();
    int arrow = 0;
    const int columns = list->model() ? list->model()->columnCount() : 0;
    for (int index = 1; index <= columns; ++index) {
        const bool excluded = noArrowColumns.contains(QString::number(index) + QLatin1Char(','), Qt::CaseInsensitive);
        if (!excluded && index == listSortKey(list) + 1) arrow = index;
    }
    list->setProperty(kArrowColumn, arrow);
    if (arrow == 0) {
        header->setSortIndicatorShown(false);
        return;
    }
    header->setSortIndicator(arrow - 1, listSortOrder(list) == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    header->setSortIndicatorShown(true);
}

int sortArrowColumn(const QTreeView* list) {
    return list->header()->isSortIndicatorShown() ? list->property(kArrowColumn).toInt() : 0;
}

void ColumnClick(QTreeView* list, SortOrder& orders, QString& lastSelectedKey, int column) {
    int16_t order = listSortOrder(list);
    if (column >= 1 && column <= 3) {
        int16_t& own = orders.column[column - 1];
        own = ToggleSortOrder(own);
        order = own;
        for (int c = 1; c <= 3; ++c)
            if (c != column) orders.column[c - 1] = 1;
    }
    list->setProperty(kSortKey, column - 1);
    list->setProperty(kSortOrder, static_cast<int>(order));
    QCoreApplication::processEvents();
    // The list may have been refilled meanwhile; it is sorted as it stands now.
    sortList(list, column - 1, order);
    ShowColumnHeaderSortIcon(list, QString());
    const QModelIndexList selected = list->selectionModel() ? list->selectionModel()->selectedRows() : QModelIndexList();
    if (!selected.isEmpty()) {
        list->scrollTo(selected.first());
        lastSelectedKey = selected.first().data(KeyRole).toString();
    }
}

void SortByFirstColumn(QTreeView* list, SortOrder& order, QString& lastSelectedKey) {
    for (int i = 0; i < kFirstSortYields; ++i) QCoreApplication::processEvents();
    if (list->model() && list->model()->rowCount() > 0) {
        order.column[0] = 1;
        ColumnClick(list, order, lastSelectedKey, 1);
        const QModelIndex first = list->model()->index(0, 0);
        if (first.isValid()) {
            list->scrollTo(first);
            list->setCurrentIndex(first);
        }
    } else {
        ShowColumnHeaderSortIcon(list, QStringLiteral("1,2,3,"));
    }
}

void connectColumnClicks(QTreeView* list, SortOrder& order, QString& lastSelectedKey) {
    QHeaderView* header = list->header();
    header->setSectionsClickable(true);
    QObject::connect(header, &QHeaderView::sectionClicked, list, [list, &order, &lastSelectedKey](int logical) {
        ColumnClick(list, order, lastSelectedKey, logical + 1);
    });
}

}  // namespace users
