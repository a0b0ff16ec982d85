// The window when its directory fails: the DC gone at start-up, in the middle
// of the store-tree build or of a list fill, back then Refresh, none configured,
// and the first DC stopped while the second carries on. (A silent server is
// bounded in the directory layer's own tests.) The outages come from a relay
// on a loopback port in front of the lab DC; only the failover case stops the
// shared DC itself, and it starts it again whatever happens.

#include "engine/StoreTree.h"
#include "platform/directory/Directory.h"
#include "support/FaultProxy.h"
#include "window_lab.h"

#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class NetworkFaultsLab : public WindowLabTest {
protected:
    void SetUp() override {
        WindowLabTest::SetUp();
        labUri = QString::fromUtf8(qgetenv("LDAPURI"));
        platform::directory::resetConnectionCache();
    }
    void TearDown() override {
        WindowLabTest::TearDown();
        platform::directory::resetConnectionCache();
    }
    void useServers(const QString& uris) {
        environment.set("LDAPURI", uris.isNull() ? QByteArray() : uris.toUtf8());
        platform::directory::resetConnectionCache();
    }
    int storeNodes() const {
        int n = 0;
        tree::forEachNode(form->ui().TreeView1, [&](QTreeWidgetItem* node) {
            if (node->parent() && !node->parent()->parent()) ++n;
        });
        return n;
    }
    QString errorText() const { return form->ui().txtErr->toPlainText(); }
    // A refresh from an empty log that logs nothing; answers the store nodes read.
    int cleanRefresh() {
        form->ui().txtErr->clear();
        form->RefreshLists();
        EXPECT_EQ(errorText(), "");
        return storeNodes();
    }

    QString labUri;
};

// Runs lab/lab with the given arguments; the lab DC is shared, so a stopped DC
// is always started again by the guard below.
bool lab(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TAVIMOR_SOURCE_DIR "/lab/lab"), args);
    return p.waitForFinished(180000) && p.exitCode() == 0;
}

struct RestartFirstDc {
    ~RestartFirstDc() { lab({"start"}); }
};

}  // namespace

TEST_F(NetworkFaultsLab, DcGoneAtStartUpOrDuringTheTreeBuildIsLoggedAndRefreshWorksOnceItIsBack) {
    FaultProxy relay;
    relay.down();
    useServers(relay.uri());
    QElapsedTimer t;
    t.start();
    open();
    EXPECT_LT(t.elapsed(), 30000);
    // Its LDAP service gone, start-up settles for the global catalog.
    EXPECT_EQ(form->globals().strLDAPRoot, "GC://" + labEnv("LAB_DC_HOST"));
    EXPECT_TRUE(errorText().contains("ERROR: "));
    EXPECT_TRUE(form->ui().txtErr->isVisibleTo(form.get()));

    relay.up();
    const int all = cleanRefresh();
    EXPECT_GT(all, 3);

    // The tree reads the Exchange objects from this computer's DC: cut it mid-way.
    relay.downAfterServerBytes(6000);
    form->RefreshLists();
    EXPECT_LT(storeNodes(), all);
    EXPECT_TRUE(errorText().contains("ERROR: "));

    relay.up();
    EXPECT_EQ(cleanRefresh(), all);
}

TEST_F(NetworkFaultsLab, DcDyingDuringAUserListFillIsLoggedAndTheNextLoadFillsItAgain) {
    FaultProxy relay;
    useServers(relay.uri());
    open();
    QTreeWidgetItem* store = form->ui().TreeView1->currentItem();
    ASSERT_NE(store, nullptr);
    const int users = form->ui().ListView1->model()->rowCount();
    ASSERT_GT(users, 10);
    form->ui().txtErr->clear();

    relay.downAfterServerBytes(3000);
    tree::NodeClick(form->storeLoad(), store);
    EXPECT_LT(form->ui().ListView1->model()->rowCount(), users);
    EXPECT_TRUE(errorText().contains("ERROR: "));

    relay.up();
    form->ui().txtErr->clear();
    tree::NodeClick(form->storeLoad(), store);
    EXPECT_EQ(form->ui().ListView1->model()->rowCount(), users);
    EXPECT_EQ(errorText(), "");
}

TEST_F(NetworkFaultsLab, DcGoneDuringAnApplyNamesEveryUserNotWrittenAndClaimsNoWrite) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QStringList aliases{"marker.in", "marker.both", "marker.freetext"};
    QStringList mails, before;
    for (const QString& alias : aliases) {
        attributes.keep(userDn(alias), "extensionAttribute10");
        mails << mailOf(alias);
        before << attributeAt(userDn(alias), "extensionAttribute10").value_or("(none)");
    }
    FaultProxy relay;
    useServers(relay.uri());
    open();
    QTreeWidgetItem* store = findNode(form->ui().TreeView1, "First Storage Group", storeName);
    ASSERT_NE(store, nullptr);
    tree::NodeClick(form->storeLoad(), store);
    for (const QString& mail : mails) {
        const panel::UserRow* row = form->panel().user(mail);
        ASSERT_NE(row, nullptr) << mail.toStdString();
        form->panel().setSwitch(static_cast<size_t>(row - form->panel().users().data()), 1, !row->switches.ingoing);
    }
    form->ui().txtErr->clear();

    relay.down();
    form->Command1_Click();
    const QString log = errorText();
    const qsizetype summary = log.indexOf("0 of 3 users written. Written: none. Not written: ");
    ASSERT_GE(summary, 0) << log.toStdString();
    for (const QString& mail : mails) EXPECT_GT(log.indexOf(mail, summary), summary) << mail.toStdString();

    relay.up();
    for (int i = 0; i < aliases.size(); ++i)
        EXPECT_EQ(attributeAt(userDn(aliases[i]), "extensionAttribute10").value_or("(none)"), before[i]);
    EXPECT_GT(cleanRefresh(), 3);
    useServers(labUri);  // the attributes are put back past the relay
}

TEST_F(NetworkFaultsLab, WithoutAnyDirectoryConfiguredOneLineSaysWhatToSet) {
    useServers(QString());
    QTemporaryDir emptyHome;
    environment.set("HOME", emptyHome.path().toUtf8());
    open();
    EXPECT_EQ(errorText().count("ERROR: "), 1) << errorText().toStdString();
    EXPECT_TRUE(errorText().contains("set LDAPURI")) << errorText().toStdString();
}

TEST_F(NetworkFaultsLab, WithTheFirstDcStoppedTheSecondKeepsTheStoreTree) {
    const QString dc2 = labEnv("LAB_DC2_HOST");
    ASSERT_TRUE(lab({"dc2", "start"})) << "the second DC did not start";
    useServers(labEnv("LDAPURI") + " ldap://" + dc2);
    open();
    const int all = storeNodes();
    ASSERT_GT(all, 3);
    {
        RestartFirstDc guard;
        ASSERT_TRUE(lab({"stop"}));
        EXPECT_EQ(cleanRefresh(), all);
        EXPECT_GT(form->ui().ListView1->model()->rowCount(), 10);
    }
    EXPECT_TRUE(lab({"status"}));
}
