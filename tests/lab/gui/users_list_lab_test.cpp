// The user list of a lab store against what ldapsearch finds there. How markers
// read as switches is tested without the lab (users_markers.cpp).
#include "directory/tree/Node.h"
#include "tree_lab_form.h"
#include "users/ListItem.h"
#include "users/UserList.h"

#include <gtest/gtest.h>

using namespace testing_support;
using namespace users;

namespace {

QString mailboxStoreDn() { return storeDn("First Storage Group", "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")"); }
QString journaledStoreDn() { return storeDn("First Storage Group", "Journaled Store"); }

// Mail addresses of the users a store's list must show.
QSet<QString> homedOn(const QString& store, const QString& journalDn = QString()) {
    return expectedKeys("(&(homeMDB=" + filterValue(store) + ")(objectCategory=person)(msExchMailboxGuid=*)(mail=*))",
                        journalDn);
}

TEST(UserListLab, SwitchesFollowTheMarkersAndSpecialUsersAreFiltered) {
    REQUIRE_LAB();
    LabForm f;
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), true), 1);
    ASSERT_EQ(f.log.text(), "");
    QTreeWidget* list = f.ui.ListView1;
    EXPECT_EQ(listedKeys(list), homedOn(mailboxStoreDn()));
    EXPECT_EQ(f.progress.begins, 1);
    EXPECT_EQ(f.progress.ends, 1);
    EXPECT_EQ(f.progress.steps, f.progress.rows);
    EXPECT_GT(f.progress.rows, list->topLevelItemCount());  // system mailboxes and users without mail were read

    QTreeWidgetItem* freeText = rowOf(list, "marker.freetext");
    ASSERT_NE(freeText, nullptr);
    EXPECT_EQ(subItemImage(freeText, 1), "checked");
    EXPECT_EQ(subItemImage(freeText, 2), "unchecked");
    EXPECT_EQ(itemTag(freeText), "free text###NoArcOut");
    QTreeWidgetItem* dora = rowOf(list, "dora.disabled");
    ASSERT_NE(dora, nullptr);
    EXPECT_EQ(smallIcon(dora), "userdisabled");
    EXPECT_EQ(dora->text(0), "Disabled Dora");
    EXPECT_NE(rowOf(list, "SystemMailbox"), nullptr);  // an alias without the brace is an ordinary user
    EXPECT_NE(rowOf(list, "o'brien"), nullptr);
}

TEST(UserListLab, JournalMailboxIsLeftOutAndANodeRefreshStopsAtTheFirstExclusion) {
    REQUIRE_LAB();
    LabForm f;
    const QString journal = userDn("journal.archive");
    ASSERT_FALSE(journal.isEmpty());
    const QString tag = journal + QChar(0) + "fwd@x";
    f.addStore("Journaled Store", journaledStoreDn(), tag);

    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), tag, true), 1);
    EXPECT_EQ(listedKeys(f.ui.ListView1), homedOn(journaledStoreDn(), journal));
    const int fullRead = f.progress.steps;

    f.progress = {};
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), tag, false), 1);
    EXPECT_EQ(f.ui.ListView1->topLevelItemCount(), 0);
    EXPECT_LT(f.progress.steps, fullRead);
    EXPECT_EQ(f.progress.ends, 1);

    // without a journal mailbox nobody is left out for that reason
    GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), QString(), true);
    EXPECT_NE(rowOf(f.ui.ListView1, "journal.archive"), nullptr);
}

TEST(UserListLab, StoreWithoutExclusionsAndFirstDisplayPreselection) {
    REQUIRE_LAB();
    LabForm f;
    const QString shared = storeDn("Second Storage Group", "Shared Journal A");
    f.addStore("Shared Journal A", shared, "");
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), shared, QString(), false), 0);

    f.state.strCurrentUserEmailAddress = mailOf("dora.disabled").toUpper();
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), false);
    EXPECT_EQ(f.state.strLastSelectedItemKey, f.state.strCurrentUserEmailAddress);

    // only on the first display
    f.state.strLastSelectedItemKey.clear();
    f.state.blnNotFirstTime = true;
    GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), true);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "");
}

}  // namespace
