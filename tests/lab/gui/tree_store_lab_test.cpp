// The store tree and the store load against the lab: storage groups, stores,
// the remembered store, and the journal and forwarding read for the panel. How
// the registration decides a store's image is tested without the lab.
#include "state/ErrorLog.h"
#include "directory/tree/Node.h"
#include "engine/StoreTree.h"
#include "engine/StoreLoad.h"
#include "tree_lab_form.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const QString N(QChar(0));

QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i) out << node->child(i)->text(0);
    return out;
}

QTreeWidgetItem* findStore(QTreeWidget* tree, const QString& group, const QString& store) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = tree->topLevelItem(i);
        if (g->text(0) != group) continue;
        for (int j = 0; j < g->childCount(); ++j)
            if (g->child(j)->text(0) == store) return g->child(j);
    }
    return nullptr;
}

TEST(StoreTreeLab, GroupsAndStoresWithCaptionAndRecoveryGroupLeftOut) {
    REQUIRE_LAB();
    LabForm f;
    tree::GetMailboxStores(f.ctx);
    ASSERT_EQ(f.log.text(), "");

    const QString server = labEnv("LAB_EXCHANGE_SERVER");
    EXPECT_FALSE(f.g.strResponsibleMTAServer.isEmpty());

    // every storage group of the server except the recovery group, in name order
    const QString serverDn = ldapsearchValues("(&(objectClass=msExchExchangeServer)(cn=" + server + "))",
                                              "distinguishedName", configNc()).value(0);
    QStringList expected = ldapsearchValues("(&(objectClass=msExchStorageGroup)(!(msExchRecovery=TRUE)))", "cn",
                                            "CN=InformationStore," + serverDn);
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QStringList groups;
    for (int i = 0; i < f.ui.TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = f.ui.TreeView1->topLevelItem(i);
        groups << g->text(0);
        EXPECT_EQ(tree::image(g), "storagegroup");
        EXPECT_TRUE(g->isExpanded());
        EXPECT_EQ(tree::tag(g), "");
        // mailbox stores only, keyed by distinguished name
        for (int j = 0; j < g->childCount(); ++j) {
            QTreeWidgetItem* s = g->child(j);
            EXPECT_TRUE(tree::isMailboxStore(s));
            EXPECT_EQ(tree::key(s).toLower(), storeDn(g->text(0), s->text(0)).toLower());
            const QString journal = ldapsearchValues("(objectClass=*)", "msExchMessageJournalRecipient", tree::key(s)).value(0);
            EXPECT_EQ(tree::tag(s).section(N, 0, 0).toLower(), journal.toLower()) << s->text(0).toStdString();
        }
    }
    EXPECT_EQ(groups, expected);
    EXPECT_EQ(findStore(f.ui.TreeView1, "First Storage Group", "Public Folder Store (" + server + ")"), nullptr);
}

TEST(StoreTreeLab, RememberedStoreIsSelectedAndShownAfterARefresh) {
    REQUIRE_LAB();
    LabForm f;
    // first call: the first store listed is remembered (the window lab test
    // shows the later of two namesakes); the earlier one passes through no load
    tree::GetMailboxStores(f.ctx);
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, "Journaled Store");
    EXPECT_EQ(findStore(f.ui.TreeView1, "First Storage Group", "Journaled Store")->childCount(), 0);

    const QString mailboxStore = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    f.state.strLastSelectedMailboxStore = mailboxStore.toUpper();
    tree::GetMailboxStores(f.ctx);
    QTreeWidgetItem* shown = f.ui.TreeView1->currentItem();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(0), mailboxStore);
    EXPECT_EQ(engine::loadedNode(f.ctx), shown);
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, mailboxStore);
    EXPECT_EQ(f.ui.Frame1->title(), mailboxStore + " - Journaling disabled");
}

TEST(StoreTreeLab, SelectingAStoreShowsJournalForwardingUsersAndChildren) {
    REQUIRE_LAB();
    LabForm f;
    f.state.blnComPlusInstalled = true;
    const QString juergen = ldapsearchValues("(mailNickname=juergen.weiss)", "mail").value(0);
    f.regItems.insert(userDn("journal.archive").toLower(), N + "J\u00fcrgen Wei\u00df <" + juergen + ">");
    f.state.strLastSelectedMailboxStore = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    tree::GetMailboxStores(f.ctx);

    QTreeWidgetItem* store = findStore(f.ui.TreeView1, "First Storage Group", "Journaled Store");
    ASSERT_NE(store, nullptr);
    f.ui.TreeView1->setCurrentItem(store);
    tree::NodeClick(f.ctx, store);

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

    // a journal mailbox whose name holds an apostrophe is found
    QTreeWidgetItem* second = findStore(f.ui.TreeView1, "Second Storage Group", "Journaled Store");
    f.ui.TreeView1->setCurrentItem(second);
    tree::NodeClick(f.ctx, second);
    EXPECT_EQ(f.ui.Label3->caption(), "Archive D'Arcy");
    EXPECT_EQ(f.ui.Frame1->title(), "Journaled Store - Full journaling");
}

TEST(StoreTreeLab, UnknownServerIsLoggedAndShown) {
    REQUIRE_LAB();
    LabForm f;
    f.form.setWindowTitle("Tavimor");
    f.state.ComputerName = "no-such-server." + labEnv("LAB_DNS_DOMAIN");
    const QDateTime at(QDate(2026, 3, 1), QTime(10, 0, 0));
    app::setClockForTesting([at] { return at; });
    tree::GetMailboxStores(f.ctx);
    const QString stamp = app::timestamp();
    app::setClockForTesting(nullptr);
    EXPECT_EQ(f.ui.TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(f.form.windowTitle(), "Tavimor");
    EXPECT_EQ(f.log.text().count("] ERROR: "), 1);
    EXPECT_TRUE(f.log.text().startsWith("[" + stamp + "] ERROR: " + QString::number(platform::hr::NoSuchObject) + " "))
        << f.log.text().toStdString();
    EXPECT_TRUE(f.log.text().contains("no-such-server"));
    EXPECT_TRUE(f.log.text().endsWith("\r\n\r\n"));
    EXPECT_TRUE(f.log.shown());
}
}  // namespace
