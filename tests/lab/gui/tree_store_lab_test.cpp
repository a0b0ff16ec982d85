// The store tree and the store load against the lab: storage groups, stores,
// the remembered store, and the journal and forwarding read for the panel. How
// the registration decides a store's image is tested without the lab.
#include "directory/tree/Node.h"
#include "engine/StoreTree.h"
#include "engine/StoreLoad.h"
#include "tree_lab_form.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const QString N(QChar(0));

TEST(StoreTreeLab, GroupsAndStoresWithCaptionAndRecoveryGroupLeftOut) {
    REQUIRE_LAB();
    LabForm f;
    const QString mta = f.g.strResponsibleMTAServer;
    ASSERT_FALSE(mta.isEmpty());
    f.g.strResponsibleMTAServer.clear();
    tree::GetMailboxStores(f.load);
    ASSERT_EQ(f.log.text(), "");
    EXPECT_EQ(f.g.strResponsibleMTAServer, mta);

    // every storage group of the server except the recovery group, in name order
    const QString server = labEnv("LAB_EXCHANGE_SERVER");
    QStringList expected = ldapsearchValues("(&(objectClass=msExchStorageGroup)(!(msExchRecovery=TRUE)))", "cn",
                                            "CN=InformationStore," + exchangeServerDn());
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QStringList groups;
    for (int i = 0; i < f.ui.TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = f.ui.TreeView1->topLevelItem(i);
        groups << g->text(0);
        EXPECT_EQ(tree::image(g), "storagegroup");
        EXPECT_TRUE(g->isExpanded());
        EXPECT_EQ(engine::nodeTag(g), "");
        // mailbox stores only, keyed by distinguished name
        for (int j = 0; j < g->childCount(); ++j) {
            QTreeWidgetItem* s = g->child(j);
            EXPECT_TRUE(tree::isMailboxStore(s));
            EXPECT_EQ(tree::key(s).toLower(), storeDn(g->text(0), s->text(0)).toLower());
            const QString journal = ldapsearchValues("(objectClass=*)", "msExchMessageJournalRecipient", tree::key(s)).value(0);
            EXPECT_EQ(engine::nodeTag(s).section(N, 0, 0).toLower(), journal.toLower()) << s->text(0).toStdString();
        }
    }
    EXPECT_EQ(groups, expected);
    EXPECT_EQ(findNode(f.ui.TreeView1, "First Storage Group", "Public Folder Store (" + server + ")"), nullptr);
}

TEST(StoreTreeLab, RememberedStoreIsSelectedAndShownAfterARefresh) {
    REQUIRE_LAB();
    LabForm f;
    // first call: the first store listed is remembered (the window lab test
    // shows the later of two namesakes); the earlier one passes through no load
    tree::GetMailboxStores(f.load);
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, "Journaled Store");
    EXPECT_EQ(findNode(f.ui.TreeView1, "First Storage Group", "Journaled Store")->childCount(), 0);

    const QString mailboxStore = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    f.state.strLastSelectedMailboxStore = mailboxStore.toUpper();
    tree::GetMailboxStores(f.load);
    QTreeWidgetItem* shown = f.ui.TreeView1->currentItem();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(0), mailboxStore);
    EXPECT_EQ(engine::loadedNode(f.panel, f.ui.TreeView1), shown);
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, mailboxStore);
    EXPECT_EQ(f.ui.Frame1->title(), mailboxStore + " - Journaling disabled");
}

TEST(StoreTreeLab, SelectingAStoreShowsJournalForwardingUsersAndChildren) {
    REQUIRE_LAB();
    LabForm f;
    f.state.blnComPlusInstalled = true;
    f.regItems.insert(userDn("journal.archive").toLower(), N + "J\u00fcrgen Wei\u00df <" + mailOf("juergen.weiss") + ">");
    f.state.strLastSelectedMailboxStore = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    tree::GetMailboxStores(f.load);

    QTreeWidgetItem* store = findNode(f.ui.TreeView1, "First Storage Group", "Journaled Store");
    ASSERT_NE(store, nullptr);
    f.ui.TreeView1->setCurrentItem(store);
    tree::NodeClick(f.load, store);

    EXPECT_EQ(f.ui.Frame1->title(), "Journaled Store - Tavimor");
    EXPECT_EQ(f.ui.Label3->caption(), "Journal Archive");

    // the journal mailbox is bypassed (forwarding without "Both"), the recipient is a user
    ASSERT_EQ(store->childCount(), 2);
    EXPECT_EQ(tree::text(store->child(0)), "Journal Archive");
    EXPECT_EQ(tree::image(store->child(0)), "usergray");
    EXPECT_FALSE(tree::bold(store->child(0)));
    EXPECT_EQ(tree::text(store->child(1)), "J\u00fcrgen Wei\u00df");
    EXPECT_EQ(tree::image(store->child(1)), "user");
    EXPECT_TRUE(tree::bold(store->child(1)));

}

// The entry's form is ErrorLogTest's; here: one entry naming the server, shown.
TEST(StoreTreeLab, UnknownServerIsLoggedAndShown) {
    REQUIRE_LAB();
    LabForm f;
    f.form.setWindowTitle("Tavimor");
    f.state.ComputerName = "no-such-server." + labEnv("LAB_DNS_DOMAIN");
    tree::GetMailboxStores(f.load);
    EXPECT_EQ(f.ui.TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(f.form.windowTitle(), "Tavimor");
    EXPECT_EQ(f.log.text().count("] ERROR: "), 1);
    EXPECT_TRUE(f.log.text().contains("] ERROR: " + QString::number(platform::hr::NoSuchObject) + " "));
    EXPECT_TRUE(f.log.text().contains("no-such-server")) << f.log.text().toStdString();
    EXPECT_TRUE(f.log.shown());
}
}  // namespace
