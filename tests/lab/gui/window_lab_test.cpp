// The whole window against the lab: start-up, the COM+ check, the store tree with
// the registration check, and the selected store's panel, all wired as the
// program runs them; and signed in with the user's Kerberos ticket (no bind DN,
// no password file), as an administrator runs it after kinit.

#include "complus/ComPlus.h"
#include "kit/CaptionLabel.h"
#include "platform/directory/Directory.h"
#include "window_lab.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using testing_support::findNode;
using testing_support::labEnv;

namespace {
class WindowLab : public testing_support::WindowLabTest {};

class KerberosWindowLab : public testing_support::WindowLabTest {
protected:
    void SetUp() override {
        WindowLabTest::SetUp();
        ASSERT_TRUE(cacheDir.isValid());
        passwordFile = labEnv("TAVIMOR_BIND_PASSWORD_FILE");
        environment.set("LDAPBINDDN", {});
        environment.set("TAVIMOR_BIND_PASSWORD_FILE", {});
        environment.set("KRB5CCNAME", ("FILE:" + cacheDir.filePath("ccache")).toUtf8());
        platform::directory::resetConnectionCache();
    }
    void TearDown() override {
        WindowLabTest::TearDown();
        platform::directory::resetConnectionCache();
    }

    // `lab/lab kinit`, or kinit itself for a ticket that lives `lifetime` only.
    void getTicket(const QString& lifetime = QString()) {
        QProcess p;
        if (lifetime.isEmpty()) {
            p.start(TAVIMOR_SOURCE_DIR "/lab/lab", {"kinit"});
        } else {
            p.setStandardInputFile(passwordFile);
            p.start("kinit", {"-l", lifetime, "Administrator@" + labEnv("LAB_REALM")});
        }
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    QStringList errorLines() const {
        QStringList lines;
        for (const QString& line : form->errorLog().text().split("\r\n", Qt::SkipEmptyParts))
            if (line.contains("ERROR:")) lines << line;
        return lines;
    }

    QTemporaryDir cacheDir;
    QString passwordFile;
};

}  // namespace

TEST_F(WindowLab, OpensOnTheLabServerWithItsStoresAndTheRememberedStoreShown) {
    open();
    panel::InstallFormUi& ui = form->ui();
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
    EXPECT_GT(ui.ListView1->model()->rowCount(), 10);
}

TEST_F(WindowLab, ARegistrationWithTheApplicationInstalledShowsTheStoreAsPerUser) {
    // Install the hosted application in the test's catalog and register the sink
    // in Journal Archive's inbox.
    state::MemoryErrorLog log;
    state::Globals g;
    ASSERT_EQ(complus::ComPlus(log, g, probes).InstallComPlusApp("Tavimor", "", "", ""), 1) << log.text().toStdString();

    open();
    panel::InstallFormUi& ui = form->ui();
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
    EXPECT_EQ(engine::nodeTag(first), archive);
    // The shared stores pass through the store load, which copies the
    // registration's forwarding settings into their tags.
    for (const QString& name : {QStringLiteral("Shared Journal A"), QStringLiteral("Shared Journal B")}) {
        QTreeWidgetItem* node = findNode(ui.TreeView1, "Second Storage Group", name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(tree::image(node), "mailboxstoreTavimor") << name.toStdString();
        EXPECT_EQ(engine::nodeTag(node).replace(QChar(0), '|').toStdString(),
                  (shared + "|Forward Target <fwd.target@tavimor.lab>|Both").toStdString());
    }
    // A journaled store without a registration stays on full journaling.
    QTreeWidgetItem* publicStore = findNode(ui.TreeView1, "Second Storage Group", "Public Journal Store");
    ASSERT_NE(publicStore, nullptr);
    EXPECT_EQ(tree::image(publicStore), "mailboxstoreFullJournaling");
}

TEST_F(KerberosWindowLab, TheTicketSignsInAndTheWindowFills) {
    getTicket();
    open();
    EXPECT_EQ(form->errorLog().text(), "");
    // The ticket's principal, mapped to its account, is the logged-on user.
    EXPECT_EQ(form->state().strCurrentUserEmailAddress.toLower(), "administrator@tavimor.lab");
    EXPECT_EQ(form->globals().strLDAPRoot, testing_support::labRoot());
    panel::InstallFormUi& ui = form->ui();
    EXPECT_EQ(ui.TreeView1->topLevelItemCount(), 2);
    EXPECT_GT(ui.ListView1->model()->rowCount(), 10);
}

TEST_F(KerberosWindowLab, AMissingOrExpiredTicketIsOneLineSayingWhatToRun) {
    open();
    QStringList lines = errorLines();
    ASSERT_EQ(lines.size(), 1) << form->errorLog().text().toStdString();
    EXPECT_TRUE(lines[0].contains("No Kerberos ticket for signing in to " + labEnv("LAB_DC_HOST")));
    EXPECT_TRUE(lines[0].contains("run: kinit <account>@" + labEnv("LAB_REALM")));
    EXPECT_TRUE(lines[0].contains("-2146893042"));  // no credentials, as a Windows client numbers it
    EXPECT_EQ(form->ui().TreeView1->topLevelItemCount(), 0);
    form->Form_Unload();
    form.reset();

    getTicket("2s");
    QThread::sleep(3);
    platform::directory::resetConnectionCache();
    form = std::make_unique<app::InstallForm>(probes, prompt);
    app::wireSubsystems(*form);
    open();
    lines = errorLines();
    ASSERT_EQ(lines.size(), 1) << form->errorLog().text().toStdString();
    EXPECT_TRUE(lines[0].contains("Kerberos ticket of Administrator@" + labEnv("LAB_REALM") + " has expired"));
    EXPECT_TRUE(lines[0].contains("run: kinit Administrator@" + labEnv("LAB_REALM")));
}
