// Column sorting of the user list and the header arrow.
#include "engine_form.h"
#include "platform/NameOrder.h"
#include "users/ListItem.h"
#include "users/ListSort.h"

#include <QHeaderView>
#include <gtest/gtest.h>

using namespace users;
using testing_support::firstColumnTexts;

namespace {

struct Row { const char* name; bool in = true, out = true; };

// The list, its column sort orders and the key of the row remembered after a sort.
class UserListSort : public ::testing::Test {
protected:
    UserListSort() { list.setColumnCount(3); }

    void fill(std::initializer_list<Row> rows) {
        list.clear();
        for (const Row& r : rows) {
            auto* item = new ListItem;
            item->setText(0, r.name);
            setItemKey(item, QString(r.name) + "@x");
            setSwitch(item, 1, r.in);
            setSwitch(item, 2, r.out);
            list.addTopLevelItem(item);
        }
    }
    void sortFirst() { SortByFirstColumn(&list, order, lastKey); }
    void click(int column) { ColumnClick(&list, order, lastKey, column); }
    Qt::SortOrder arrowOrder() const { return list.header()->sortIndicatorOrder(); }

    QTreeWidget list;
    SortOrder order;
    QString lastKey;
};

TEST_F(UserListSort, FirstSortIsAscendingByNameWithoutRegardToCase) {
    fill({{"carol", true, true}, {"Bob", true, true}, {"alice", true, true}});
    sortFirst();
    EXPECT_EQ(firstColumnTexts(&list), QStringList({"alice", "Bob", "carol"}));
    EXPECT_EQ(list.currentItem()->text(0), "alice");
    EXPECT_EQ(sortArrowColumn(&list), 1);
    EXPECT_EQ(arrowOrder(), Qt::AscendingOrder);
    EXPECT_EQ(lastKey, "");  // nothing was selected before the sort

    // a click on column 1 right after the load sorts descending
    click(1);
    EXPECT_EQ(firstColumnTexts(&list), QStringList({"carol", "Bob", "alice"}));
    EXPECT_EQ(arrowOrder(), Qt::DescendingOrder);
    // the selected row is remembered
    EXPECT_EQ(lastKey, "alice@x");
}

// Names sort as people of the user's locale read them, not by code point.
TEST_F(UserListSort, NamesSortByTheLocale) {
    const QString locale = platform::nameOrderLocale();
    if (!locale.startsWith("en"))
        GTEST_SKIP() << "the expected order is English's; names sort by " << locale.toStdString() << " here";
    fill({{"Zoe Adams"}, {"Örjan Holm"}, {"Łukasz Nowak"}, {"Åsa Berg"}, {"oskar ek"}, {"Anna Lind"}, {"Lena Ek"}});
    sortList(&list, 0, 0);
    const QStringList ascending{"Anna Lind", "Åsa Berg", "Lena Ek", "Łukasz Nowak", "Örjan Holm", "oskar ek",
                                "Zoe Adams"};
    EXPECT_EQ(firstColumnTexts(&list).join(" | ").toStdString(), ascending.join(" | ").toStdString());
}

TEST_F(UserListSort, SwitchColumnsSortByTheSwitchesAsReadNotAsToggled) {
    fill({{"a", true, true}, {"b", false, true}, {"c", true, false}, {"d", false, false}});
    // a toggle after the fill changes the image only
    setSubItemImage(list.topLevelItem(0), 1, kUnchecked);

    sortFirst();  // as after a load
    click(2);     // first click on column 2: ascending, off first
    EXPECT_EQ(firstColumnTexts(&list), QStringList({"b", "d", "a", "c"}));
    EXPECT_EQ(sortArrowColumn(&list), 2);
    EXPECT_EQ(order.column[0], 1);
    EXPECT_EQ(order.column[2], 1);

    click(3);
    EXPECT_EQ(firstColumnTexts(&list), QStringList({"d", "c", "b", "a"}));
    EXPECT_EQ(sortArrowColumn(&list), 3);
    click(3);
    EXPECT_EQ(firstColumnTexts(&list).mid(0, 2), QStringList({"b", "a"}));
    EXPECT_EQ(arrowOrder(), Qt::DescendingOrder);
    // the other columns were set to descending, so their next click ascends
    click(2);
    EXPECT_EQ(arrowOrder(), Qt::AscendingOrder);
}

TEST_F(UserListSort, ArrowIsLeftOutForNamedColumnsAndAnEmptyList) {
    fill({{"a", true, true}});
    sortList(&list, 1, 0);
    ShowColumnHeaderSortIcon(&list, "2,");
    EXPECT_EQ(sortArrowColumn(&list), 0);
    ShowColumnHeaderSortIcon(&list, "1,3,");
    EXPECT_EQ(sortArrowColumn(&list), 2);

    click(3);
    list.clear();
    sortFirst();
    EXPECT_EQ(sortArrowColumn(&list), 0);
    EXPECT_FALSE(list.header()->isSortIndicatorShown());
}

}  // namespace
