// The user list of a lab store against what ldapsearch finds there.
#include "directory/tree/Node.h"
#include "tree_lab_form.h"
#include "users/ListItem.h"
#include "users/UserList.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace users;

namespace {

QString mailboxStoreDn() { return storeDn("First Storage Group", "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")"); }
QString journaledStoreDn() { return storeDn("First Storage Group", "Journaled Store"); }
QString mailOf(const QString& alias) { return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0); }

// Mail addresses of the users a store's list must show.
QSet<QString> expectedKeys(const QString& store, const QString& journalDn) {
    const QString filter = "(&(homeMDB=" + filterValue(store) + ")(objectCategory=person)(msExchMailboxGuid=*)(mail=*))";
    const QStringList dns = ldapsearchValues(filter, "distinguishedName");
    const QStringList aliases = ldapsearchValues(filter, "mailNickname");
    const QStringList mails = ldapsearchValues(filter, "mail");
    QSet<QString> keys;
    for (int i = 0; i < mails.size(); ++i) {
        if (aliases.value(i).startsWith("SystemMailbox{", Qt::CaseInsensitive)) continue;
        if (dns.value(i).compare(journalDn, Qt::CaseInsensitive) == 0) continue;
        keys.insert(mails[i].toLower());
    }
    return keys;
}

QSet<QString> listedKeys(const QTreeWidget* list) {
    QSet<QString> keys;
    for (int i = 0; i < list->topLevelItemCount(); ++i) keys.insert(itemKey(list->topLevelItem(i)).toLower());
    return keys;
}

TEST(UserListLab, SwitchesFollowTheMarkersAndSpecialUsersAreFiltered) {
    REQUIRE_LAB();
    LabForm f;
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    EXPECT_EQ(GetUsersWithMailboxes(f.ctx, mailboxStoreDn(), QString(), true), 1);
    ASSERT_EQ(f.log.text(), "");
    QTreeWidget* list = f.ui.ListView1;
    EXPECT_EQ(listedKeys(list), expectedKeys(mailboxStoreDn(), ""));
    EXPECT_EQ(f.progress.begins, 1);
    EXPECT_EQ(f.progress.ends, 1);
    EXPECT_EQ(f.progress.steps, f.progress.rows);
    EXPECT_GT(f.progress.rows, list->topLevelItemCount());  // system mailboxes and users without mail were read

    struct Expect {
        const char* alias;
        bool in;
        bool out;
        const char* tag;
    };
    for (const Expect& e : {Expect{"marker.none", true, true, ""}, Expect{"marker.in", false, true, "###NoArcIn"},
                            Expect{"marker.both", false, false, "###NoArcIn###NoArcOut"},
                            Expect{"marker.freetext", true, false, "free text###NoArcOut"},
                            Expect{"marker.lower", true, true, "###noarcin"}}) {
        QTreeWidgetItem* item = findItem(list, mailOf(e.alias));
        ASSERT_NE(item, nullptr) << e.alias;
        EXPECT_EQ(subItemImage(item, 1), e.in ? "checked" : "unchecked") << e.alias;
        EXPECT_EQ(subItemImage(item, 2), e.out ? "checked" : "unchecked") << e.alias;
        EXPECT_EQ(subItemText(item, 1), e.in ? "  " : " ") << e.alias;
        EXPECT_EQ(itemTag(item), e.tag) << e.alias;
        EXPECT_EQ(smallIcon(item), "user") << e.alias;
        EXPECT_EQ(itemForeColor(item), 0u);
        EXPECT_FALSE(itemBold(item));
    }
    QTreeWidgetItem* dora = findItem(list, mailOf("dora.disabled"));
    ASSERT_NE(dora, nullptr);
    EXPECT_EQ(smallIcon(dora), "userdisabled");
    EXPECT_EQ(dora->text(0), "Disabled Dora");
    // an alias without the brace is an ordinary user
    EXPECT_NE(findItem(list, mailOf("SystemMailbox")), nullptr);
    // non-ASCII and apostrophes in names and addresses
    EXPECT_NE(findItem(list, mailOf("o'brien")), nullptr);
}

TEST(UserListLab, JournalMailboxIsLeftOutAndANodeRefreshStopsAtTheFirstExclusion) {
    REQUIRE_LAB();
    LabForm f;
    const QString journal = userDn("journal.archive");
    ASSERT_FALSE(journal.isEmpty());
    const QString tag = journal + QChar(0) + "fwd@x";
    f.addStore("Journaled Store", journaledStoreDn(), tag);

    EXPECT_EQ(GetUsersWithMailboxes(f.ctx, journaledStoreDn(), tag, true), 1);
    EXPECT_EQ(listedKeys(f.ui.ListView1), expectedKeys(journaledStoreDn(), journal));
    EXPECT_EQ(findItem(f.ui.ListView1, mailOf("journal.archive")), nullptr);
    const int fullRead = f.progress.steps;

    f.progress = {};
    EXPECT_EQ(GetUsersWithMailboxes(f.ctx, journaledStoreDn(), tag, false), 1);
    EXPECT_EQ(f.ui.ListView1->topLevelItemCount(), 0);
    EXPECT_LT(f.progress.steps, fullRead);
    EXPECT_EQ(f.progress.ends, 1);

    // without a journal mailbox nobody is left out for that reason
    GetUsersWithMailboxes(f.ctx, journaledStoreDn(), QString(), true);
    EXPECT_NE(findItem(f.ui.ListView1, mailOf("journal.archive")), nullptr);
}

TEST(UserListLab, StoreWithoutExclusionsAndFirstDisplayPreselection) {
    REQUIRE_LAB();
    LabForm f;
    const QString shared = storeDn("Second Storage Group", "Shared Journal A");
    f.addStore("Shared Journal A", shared, "");
    EXPECT_EQ(GetUsersWithMailboxes(f.ctx, shared, QString(), false), 0);

    f.state.strCurrentUserEmailAddress = mailOf("dora.disabled").toUpper();
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    GetUsersWithMailboxes(f.ctx, mailboxStoreDn(), QString(), false);
    EXPECT_EQ(f.state.strLastSelectedItemKey, f.state.strCurrentUserEmailAddress);

    // only on the first display
    f.state.strLastSelectedItemKey.clear();
    f.state.blnNotFirstTime = true;
    GetUsersWithMailboxes(f.ctx, mailboxStoreDn(), QString(), true);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "");
}

TEST(UserListLab, StoreNameWithAnApostropheCannotChangeTheQuery) {
    REQUIRE_LAB();
    LabForm f;
    f.addStore("S", "CN=x' OR homeMDB='*", "");
    EXPECT_EQ(GetUsersWithMailboxes(f.ctx, "CN=x' OR homeMDB='*", QString(), true), 0);
    EXPECT_EQ(f.ui.ListView1->topLevelItemCount(), 0);
}
}  // namespace
