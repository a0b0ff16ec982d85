// Column sorting of the user list and the header arrow.
#include "engine_form.h"
#include "platform/NameOrder.h"
#include "users/ListSort.h"
#include "users/UserListModel.h"
#include "users/UserListView.h"

#include <QHeaderView>
#include <gtest/gtest.h>

using namespace users;
using testing_support::firstColumnTexts;

namespace {

struct Row { const char* name; bool in = true, out = true; };

// The list, its column sort orders and the key of the row remembered after a sort.
class UserListSort : public ::testing::Test {
protected:
    UserListSort() { list.setModel(&models.order); }

    // Rows as a load reads them: the switches from the stored markers.
    void fill(std::initializer_list<Row> rows) {
        std::vector<panel::UserRow> users;
        for (const Row& r : rows) {
            const QString stored = QString(r.in ? "" : "###NoArcIn") + (r.out ? "" : "###NoArcOut");
            users.push_back({QString(r.name) + "@x", r.name, stored, {r.in, r.out}, false, false});
        }
        panel.setUsers(std::move(users));
    }
    void sortFirst() { SortByFirstColumn(&list, order, lastKey); }
    void click(int column) { ColumnClick(&list, order, lastKey, column); }
    Qt::SortOrder arrowOrder() const { return list.header()->sortIndicatorOrder(); }

    panel::PanelModel panel;
    UserListModels models{panel};
    UserListView list;
    SortOrder order;
    QString lastKey;
};

TEST_F(UserListSort, FirstSortIsAscendingByNameWithoutRegardToCase) {
    fill({{"carol", true, true}, {"Bob", true, true}, {"alice", true, true}});
    sortFirst();
    EXPECT_EQ(firstColumnTexts(&list), QStringList({"alice", "Bob", "carol"}));
    EXPECT_EQ(list.currentIndex().data().toString(), "alice");
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
    // a toggle after the fill changes the picture only
    panel.setSwitch(0, 1, false);

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

// Change writes the staged users from the first row the list shows to the last,
// whatever order the directory returned them in.
TEST_F(UserListSort, StagedUsersComeInTheListsOrder) {
    fill({{"carol"}, {"alice"}, {"Bob"}, {"dave"}});
    for (size_t i : {0, 1, 2}) panel.setSwitch(i, 2, false);  // carol, alice, Bob staged
    sortFirst();
    EXPECT_EQ(models.stagedInListOrder(), std::vector<size_t>({1, 2, 0}));  // alice, Bob, carol
    click(1);  // descending
    EXPECT_EQ(models.stagedInListOrder(), std::vector<size_t>({0, 2, 1}));
    EXPECT_EQ(models.rowOf("BOB@x").row(), 2);
}

TEST_F(UserListSort, ArrowIsLeftOutForNamedColumnsAndAnEmptyList) {
    fill({{"a", true, true}});
    sortList(&list, 1, 0);
    ShowColumnHeaderSortIcon(&list, "2,");
    EXPECT_EQ(sortArrowColumn(&list), 0);
    ShowColumnHeaderSortIcon(&list, "1,3,");
    EXPECT_EQ(sortArrowColumn(&list), 2);

    click(3);
    panel.clearUsers();
    sortFirst();
    EXPECT_EQ(sortArrowColumn(&list), 0);
    EXPECT_FALSE(list.header()->isSortIndicatorShown());
}

}  // namespace
