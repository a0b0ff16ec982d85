// Per-user journaling from the window to the journal folder: the administrator
// installs the COM+ application and turns a user's "Journal outgoing" off with
// Change, then the store tool delivers that user's and another user's mail, and
// only the other user's report stays in the journal mailbox's inbox.

#include "lab/platform_store/TempStore.h"
#include "lab/store/StoreBuilder.h"
#include "users/ListInteraction.h"
#include "users/UserListModel.h"
#include "users/UserListView.h"
#include "window_lab.h"

#include <QProcess>
#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The window over a store of its own, holding the journal mailbox.
class JournalWindowLab : public WindowLabTest {
protected:
    JournalWindowLab() {
        lab::StoreBuilder b(testsupport::TempStore::domain());
        b.ensureMailbox("journal.archive");
        b.ensureMailbox("archive.d'arcy");  // the other store of the same name journals here
        b.commit();
    }
    // Runs the store tool with the test's environment; answers its output.
    static QString tool(const QStringList& args) {
        QProcess p;
        p.start(qEnvironmentVariable("TAVIMOR_BUILD_DIR") + "/tavimor-store", args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    testsupport::TempStore store;  // before the window reads the store root
};

TEST_F(JournalWindowLab, ChangeInstallsAndExcludesThenDeliveredReportsFollowTheMarkers) {
    registered << "CN=Journal Archive,OU=Journal," + labBase() << "CN=Archive D'Arcy,OU=Journal," + labBase();

    open();
    panel::InstallFormUi& ui = form->ui();
    QTreeWidgetItem* node = findNode(ui.TreeView1, "First Storage Group", "Journaled Store");
    ASSERT_NE(node, nullptr);
    ui.TreeView1->setCurrentItem(node);
    QCoreApplication::processEvents();  // the selection loads the store, as a click does
    ASSERT_EQ(form->loadedNode(), node);
    ui.CheckRegCom->click();
    // two listed users journaled both ways
    QStringList both;
    const QAbstractItemModel* rows = ui.ListView1->model();
    for (int i = 0; i < rows->rowCount() && both.size() < 2; ++i) {
        const auto image = [&](int c) { return rows->index(i, c).data(users::ImageKeyRole).toString(); };
        if (image(1) == users::kChecked && image(2) == users::kChecked && image(0) == "user")
            both << rows->index(i, 0).data(users::KeyRole).toString();
    }
    ASSERT_EQ(both.size(), 2);
    const QString excluded = both[0], other = both[1];
    attributes.keep(dnOfMail(excluded), "extensionAttribute10");
    // a click on the user's "Journal outgoing" switch, as the administrator does it
    auto* list = static_cast<users::UserListView*>(ui.ListView1);
    const QModelIndex row = testing_support::userRowOf(list, excluded);
    ASSERT_TRUE(row.isValid());
    list->scrollTo(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->switchImageRect(row.siblingAtColumn(2)).center());
    ASSERT_EQ(row.siblingAtColumn(2).data(users::ImageKeyRole).toString(), users::kUnchecked);
    form->Command1_Click();
    ASSERT_EQ(ui.txtErr->toPlainText().toStdString(), "");
    ASSERT_TRUE(form->state().blnComPlusInstalled);
    // the refresh after Change shows the same store again, not its namesake in the other group
    QTreeWidgetItem* shownStore = form->loadedNode();
    ASSERT_NE(shownStore, nullptr);
    EXPECT_EQ(tree::text(shownStore->parent()), "First Storage Group");
    // the registration is in the journal mailbox's inbox now
    QString tag;
    ASSERT_TRUE(store::CheckRegItem(registration(tag), registered[0], false))
        << "no registration in Journal Archive; in Archive D'Arcy: "
        << store::CheckRegItem(registration(tag), registered[1], false);

    const QString dropped = tool({"deliver", "--from", excluded, "--to", "someone@example.org", "--subject", "Excluded"});
    EXPECT_TRUE(dropped.startsWith("not kept ")) << dropped.toStdString();
    const QString kept = tool({"deliver", "--from", other, "--to", "someone@example.org", "--subject", "Journaled"});
    EXPECT_TRUE(kept.startsWith("kept ")) << kept.toStdString();
    const QStringList inbox = tool({"ls", "mbx/journal.archive/Inbox"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(inbox.size(), 1) << inbox.join('\n').toStdString();
    EXPECT_EQ(inbox[0].section('\t', 1), "urn:content-class:message\tJournaled");
    // the report's properties, then its envelope naming the sender
    const QString shown = tool({"show", kept.section(' ', 1).trimmed()});
    EXPECT_TRUE(shown.contains("urn:schemas:httpmail:subject: Journaled\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Sender: " + other)) << shown.toStdString();
}

}  // namespace
