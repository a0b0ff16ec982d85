// Loading a store into its node and the panel, with the directory unreachable
// (empty directory base) and the other subsystems answered by hooks.
#include "kit/Colors.h"
#include "directory/tree/Node.h"
#include "engine/StoreLoad.h"
#include "engine_form.h"
#include "users/UserList.h"

#include <gtest/gtest.h>

using testing_support::EngineForm;

namespace {
const QString N(QChar(0));
const QString journalDn = QStringLiteral("CN=Archive,DC=x");

struct Load : ::testing::Test {
    EngineForm f;
    bool regItemExists = false;
    QString refreshedTag;  // what the registration item holds, written on refresh
    int checks = 0;

    void SetUp() override {
        f.services->onCheckRegItem = [this](const QString& dn, QString* tag) {
            ++checks;
            if (tag && regItemExists) *tag = dn + refreshedTag;
            return regItemExists;
        };
        f.services->onObjectType = [](const QString& address) {
            return address.startsWith("group") ? QStringLiteral("group") : QStringLiteral("contact");
        };
    }
};

// The mode shown on the node and the frame, and the forwarding child, as the
// journal mailbox, its registration item and the COM+ application decide them.
TEST_F(Load, ModeFollowsRegistrationItemComPlusAndForwarding) {
    const QString fwd = N + "Fwd Group <group@x>";
    // label and child: the forwarding recipient's name and image ("" without one)
    const struct { QString tag; bool item; QString refreshed; bool comPlus; QString mode, image, label, child; } cases[] = {
        {"", false, "", true, "Journaling disabled", "mailboxstore", "", ""},
        {journalDn, false, "", true, "Full journaling", "mailboxstoreFullJournaling", "", ""},
        {journalDn, true, fwd, false, "Full journaling", "mailboxstoreFullJournaling", "Fwd Group", "group"},  // COM+ missing
        {journalDn, true, fwd, true, "Tavimor", "mailboxstoreTavimor", "Fwd Group", "group"},
        {journalDn, true, "", true, "Full journaling", "mailboxstoreFullJournaling", "", ""},  // nobody excluded
        // a bare address is its own name; "Both" ticks the box
        {journalDn, true, N + "someone@x" + N + "Both", true, "Tavimor", "mailboxstoreTavimor", "someone@x", "contact"},
    };
    QTreeWidgetItem* node = f.addStore("S", "CN=S", "");
    for (const auto& c : cases) {
        engine::setNodeTag(node, c.tag);
        regItemExists = c.item;
        refreshedTag = c.refreshed;
        f.state.blnComPlusInstalled = c.comPlus;
        EXPECT_EQ(engine::ProcessMailboxStore(f.load, node, true), 1);
        EXPECT_EQ(f.ui.Frame1->title(), "S - " + c.mode) << c.image.toStdString();
        EXPECT_EQ(tree::image(node), c.image);
        // the recipient: label, boxes and one bold child classed by its address,
        // replacing the children of the load before (the journal's name is unreadable)
        const bool forwarded = !c.label.isEmpty();
        EXPECT_EQ(f.ui.Label4->caption(), c.label);
        EXPECT_EQ(f.ui.Check4->isChecked(), forwarded);
        EXPECT_EQ(f.ui.Check5->isEnabled(), forwarded);
        EXPECT_EQ(f.ui.Check5->isChecked(), c.refreshed.endsWith("Both"));
        ASSERT_EQ(node->childCount(), forwarded ? 1 : 0);
        if (forwarded) {
            EXPECT_EQ(tree::text(node->child(0)), c.label);
            EXPECT_EQ(tree::image(node->child(0)), c.child);
            EXPECT_TRUE(tree::bold(node->child(0)));
        }
    }
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, "S");
    EXPECT_FALSE(f.ui.Check3->isChecked());
    EXPECT_FALSE(f.panel.busy());
    EXPECT_EQ(f.ui.Command1->text(), "Refresh");
}

TEST_F(Load, RefreshWithoutPanelTouchesOnlyTheNode) {
    regItemExists = true;
    f.state.blnComPlusInstalled = true;
    refreshedTag = N + "someone@x";
    f.ui.Frame1->setTitle("Shown");
    f.ui.Label4->setCaption("kept");
    f.ui.Check3->setChecked(true);
    QTreeWidgetItem* node = f.addStore("S", "CN=S", journalDn);
    engine::ProcessMailboxStore(f.load, node, false);
    EXPECT_EQ(tree::image(node), "mailboxstoreTavimor");
    EXPECT_EQ(f.ui.Frame1->title(), "Shown");
    EXPECT_EQ(f.ui.Label4->caption(), "kept");
    EXPECT_FALSE(f.ui.Frame1->isEnabled());
    EXPECT_FALSE(f.ui.Check3->isChecked());
    EXPECT_FALSE(f.ui.Check3->isEnabled());
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, "");
}

TEST_F(Load, StagedChangesGoThroughTheApplyHookFirst) {
    QTreeWidgetItem* node = f.addStore("S", "CN=S", "");
    int applied = 0;
    f.services->onApply = [&](int16_t& result) {
        ++applied;
        EXPECT_EQ(f.panel.store().dn, "CN=S");
        EXPECT_TRUE(f.panel.busy());
        result = -1;
        return false;  // refused to start
    };
    engine::ProcessMailboxStore(f.load, node, true);
    EXPECT_EQ(applied, 0);

    f.panel.setInstallCom(true);
    EXPECT_EQ(f.ui.Command1->text(), "Change");
    EXPECT_EQ(engine::ProcessMailboxStore(f.load, node, true), -1);
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(f.panel.busy());
    EXPECT_TRUE(f.panel.anyStaged());
    EXPECT_EQ(f.ui.Command1->text(), "Change");
    EXPECT_EQ(checks, 1);  // nothing was loaded after the refused apply

    // an apply that fails half-way keeps the staged state after the reload
    f.services->onApply = [](int16_t& result) { return result = -1, true; };
    EXPECT_EQ(engine::ProcessMailboxStore(f.load, node, true), -1);
    EXPECT_TRUE(f.panel.installCom());
    EXPECT_EQ(f.ui.Command1->text(), "Change");
    EXPECT_EQ(checks, 2);

    // a store that is not the loaded one never gets the loaded one's edits
    QTreeWidgetItem* other = f.addStore("T", "CN=T", "");
    f.panel.load("CN=S", "S", "");
    applied = 0;
    f.services->onApply = [&](int16_t&) { return ++applied, true; };
    engine::ProcessMailboxStore(f.load, other, true);
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(f.panel.store().dn, "CN=T");
}

// Storage groups and journal children never reach the store load; no node at
// all is reported as an inaccessible store.
TEST_F(Load, OnlyStoreNodesAreLoaded) {
    EXPECT_EQ(engine::ProcessMailboxStore(f.load, nullptr, true), -1);
    ASSERT_EQ(f.prompt.asked.size(), 1u);
    EXPECT_EQ(f.prompt.asked[0].text, "The Message store is inaccessible. Please check your account rights.");
    QTreeWidgetItem* node = f.addStore("S", "CN=S", journalDn);
    tree::addChild(node, {}, "Archive", "user");
    f.ui.Frame1->setTitle("Shown");
    for (QTreeWidgetItem* other : {f.group, node->child(0)}) {
        EXPECT_EQ(engine::ProcessMailboxStore(f.load, other, true), -1);
        EXPECT_EQ(f.ui.Frame1->title(), "Shown");
    }
    EXPECT_EQ(f.group->childCount(), 1);
    EXPECT_EQ(node->childCount(), 1);
    EXPECT_EQ(f.state.strLastSelectedMailboxStore, "");
    EXPECT_EQ(checks, 0);
}

TEST_F(Load, UnreadableDirectoryIsLoggedAndNeverLooksLikeAnEmptyStore) {
    QTreeWidgetItem* node = f.addStore("S", "CN=S", "");
    EXPECT_EQ(users::GetUsersWithMailboxes(f.userListFill(), "CN=S", "", true), 0);
    EXPECT_EQ(f.list.order.rowCount(), 0);
    EXPECT_EQ(f.log.text().count(" ERROR: "), 1);
    EXPECT_EQ(f.progress.begins, 0);

    f.log.setText("");
    engine::ProcessMailboxStore(f.load, node, true);
    EXPECT_EQ(f.log.text().count(" ERROR: "), 1);
    EXPECT_TRUE(f.ui.txtErr->isVisibleTo(&f.form));
    EXPECT_TRUE(f.ui.Command5->isVisibleTo(&f.form));
    EXPECT_FALSE(f.ui.Check1->isEnabled());
}
}  // namespace
