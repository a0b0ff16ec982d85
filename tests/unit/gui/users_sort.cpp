// Column sorting of the user list and the header arrow.
#include "engine_form.h"
#include "users/ListItem.h"
#include "users/ListSort.h"

#include <QHeaderView>
#include <gtest/gtest.h>

using testing_support::EngineForm;
using namespace users;

namespace {

struct Row { const char* name; bool in, out; };

void fill(QTreeWidget* list, std::initializer_list<Row> rows) {
    list->clear();
    for (const Row& r : rows) {
        auto* item = new ListItem;
        item->setText(0, r.name);
        setItemKey(item, QString(r.name) + "@x");
        setSwitch(item, 1, r.in);
        setSwitch(item, 2, r.out);
        list->addTopLevelItem(item);
    }
}

QStringList names(const QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
    return out;
}

TEST(UserListSort, FirstSortIsAscendingByNameWithoutRegardToCase) {
    EngineForm f;
    fill(f.ui.ListView1, {{"carol", true, true}, {"Bob", true, true}, {"alice", true, true}});
    SortByFirstColumn(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey);
    EXPECT_EQ(names(f.ui.ListView1), QStringList({"alice", "Bob", "carol"}));
    EXPECT_EQ(f.ui.ListView1->currentItem()->text(0), "alice");
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 1);
    EXPECT_EQ(f.ui.ListView1->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "");  // nothing was selected before the sort

    // a click on column 1 right after the load sorts descending
    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 1);
    EXPECT_EQ(names(f.ui.ListView1), QStringList({"carol", "Bob", "alice"}));
    EXPECT_EQ(f.ui.ListView1->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // the selected row is remembered
    EXPECT_EQ(f.state.strLastSelectedItemKey, "alice@x");
}

TEST(UserListSort, SwitchColumnsSortByTheSwitchesAsReadNotAsToggled) {
    EngineForm f;
    fill(f.ui.ListView1, {{"a", true, true}, {"b", false, true}, {"c", true, false}, {"d", false, false}});
    // a toggle after the fill changes the image only
    setSubItemImage(f.ui.ListView1->topLevelItem(0), 1, kUnchecked);

    SortByFirstColumn(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey);  // as after a load
    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 2);     // first click on column 2: ascending, off first
    EXPECT_EQ(names(f.ui.ListView1), QStringList({"b", "d", "a", "c"}));
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 2);
    EXPECT_EQ(f.sortOrder.column[0], 1);
    EXPECT_EQ(f.sortOrder.column[2], 1);

    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 3);
    EXPECT_EQ(names(f.ui.ListView1), QStringList({"d", "c", "b", "a"}));
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 3);
    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 3);
    EXPECT_EQ(names(f.ui.ListView1).mid(0, 2), QStringList({"b", "a"}));
    EXPECT_EQ(f.ui.ListView1->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // the other columns were set to descending, so their next click ascends
    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 2);
    EXPECT_EQ(f.ui.ListView1->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST(UserListSort, ArrowIsLeftOutForNamedColumnsAndAnEmptyList) {
    EngineForm f;
    fill(f.ui.ListView1, {{"a", true, true}});
    sortList(f.ui.ListView1, 1, 0);
    ShowColumnHeaderSortIcon(f.ui.ListView1, "2,");
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 0);
    ShowColumnHeaderSortIcon(f.ui.ListView1, "1,3,");
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 2);

    ColumnClick(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey, 3);
    f.ui.ListView1->clear();
    SortByFirstColumn(f.ui.ListView1, f.sortOrder, f.state.strLastSelectedItemKey);
    EXPECT_EQ(sortArrowColumn(f.ui.ListView1), 0);
    EXPECT_FALSE(f.ui.ListView1->header()->isSortIndicatorShown());
}

}  // namespace
