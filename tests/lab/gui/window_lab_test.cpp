// The whole window against the lab: start-up, the COM+ check, the store tree with
// the registration check, and the selected store's panel, all wired as the
// program runs them.

#include "kit/CaptionLabel.h"
#include "window_lab.h"

#include <gtest/gtest.h>

using testing_support::findNode;

namespace {
class WindowLab : public testing_support::WindowLabTest {};
}  // namespace

TEST_F(WindowLab, OpensOnTheLabServerWithItsStoresAndTheRememberedStoreShown) {
    open();
    app::InstallFormUi& ui = form->ui();
    EXPECT_EQ(form->windowTitle(), "Tavimor - Exchange server " + testing_support::labEnv("LAB_EXCHANGE_SERVER") +
                                       " Version 6.5 (Build 7638.2: Service Pack 2)");
    // Nothing installed yet, the sink library is there: install is offered.
    EXPECT_FALSE(form->state().blnComPlusInstalled);
    EXPECT_TRUE(ui.CheckRegCom->isEnabled());
    EXPECT_EQ(ui.txtErr->toPlainText(), "");
    // Two stores are named "Journaled Store"; the later one is shown.
    QTreeWidgetItem* shown = findNode(ui.TreeView1, "Second Storage Group", "Journaled Store");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(ui.TreeView1->currentItem(), shown);
    EXPECT_EQ(ui.Frame1->title(), "Journaled Store - Full journaling");
    EXPECT_EQ(ui.Label3->text(), "Archive D'Arcy");
    EXPECT_TRUE(ui.Check3->isChecked());
    EXPECT_GT(ui.ListView1->topLevelItemCount(), 10);
}

TEST_F(WindowLab, ARegistrationWithTheApplicationInstalledShowsTheStoreAsPerUser) {
    // Install the hosted application and register the sink in Journal Archive's inbox.
    installApplication();

    open();
    app::InstallFormUi& ui = form->ui();
    ASSERT_TRUE(form->state().blnComPlusInstalled);
    EXPECT_EQ(ui.Label8->text(), "COM+ object \"Tavimor\" is installed.");
    const QString base = testing_support::labBase();
    const QString archive = "CN=Journal Archive,OU=Journal," + base;
    const QString shared = "CN=Shared Archive,OU=Journal," + base;
    QString tag;
    const store::RegistrationContext reg = registration(tag);
    registered << archive << shared;
    store::CreateRegItem(reg, archive, "", false);
    store::CreateRegItem(reg, shared, "Forward Target <fwd.target@tavimor.lab>", true);

    form->RefreshLists();
    // Both "Journaled Store" nodes match the remembered name, so the first keeps
    // the image of the first decision and a tag of its journal mailbox alone.
    QTreeWidgetItem* first = findNode(ui.TreeView1, "First Storage Group", "Journaled Store");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(tree::image(first), "mailboxstoreTavimor");
    EXPECT_EQ(tree::tag(first), archive);
    // The shared stores pass through the store load, which copies the
    // registration's forwarding settings into their tags.
    for (const QString& name : {QStringLiteral("Shared Journal A"), QStringLiteral("Shared Journal B")}) {
        QTreeWidgetItem* node = findNode(ui.TreeView1, "Second Storage Group", name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(tree::image(node), "mailboxstoreTavimor") << name.toStdString();
        EXPECT_EQ(tree::tag(node).replace(QChar(0), '|').toStdString(),
                  (shared + "|Forward Target <fwd.target@tavimor.lab>|Both").toStdString());
    }
    // A journaled store without a registration stays on full journaling.
    QTreeWidgetItem* publicStore = findNode(ui.TreeView1, "Second Storage Group", "Public Journal Store");
    ASSERT_NE(publicStore, nullptr);
    EXPECT_EQ(tree::image(publicStore), "mailboxstoreFullJournaling");
}
