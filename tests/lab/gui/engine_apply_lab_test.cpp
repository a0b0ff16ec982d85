// Change, through the whole window against the lab: the store's journal
// recipient, users' markers, the registration item of a shared journal mailbox,
// and the COM+ install. Every test puts the directory and the store back.
#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "panel/Context.h"
#include "panel/PanelEvents.h"
#include "users/ListItem.h"
#include "window_lab.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString N(QChar(0));
const QString kJournal = QStringLiteral("msExchMessageJournalRecipient");
const QString kMarkers = QStringLiteral("extensionAttribute10");

QString mailOf(const QString& alias) { return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0); }

class ApplyLab : public WindowLabTest {
protected:
    app::InstallFormUi& ui() { return form->ui(); }

    engine::PanelModel& panel() { return form->context().panel; }

    // Loads a store into the panel as selecting it does.
    QTreeWidgetItem* select(const QString& group, const QString& name) {
        QTreeWidgetItem* found = findNode(ui().TreeView1, group, name);
        if (found && ui().TreeView1->currentItem() != found) ui().TreeView1->setCurrentItem(found);
        QCoreApplication::processEvents();
        return found;
    }

    void stageUser(const QString& mail, bool in, bool out) {
        const engine::UserRow* row = panel().user(mail);
        ASSERT_NE(row, nullptr) << mail.toStdString();
        if (row->switches.ingoing != in) panel().toggleSwitch(mail, 1);
        if (row->switches.outgoing != out) panel().toggleSwitch(mail, 2);
        form->globals().blnChangesPending = true;
    }
};

TEST_F(ApplyLab, ChangeWritesTheJournalMailboxAndStagedUsersMarkersAndRemovesTheMailboxAgain) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QString store = storeDn("First Storage Group", storeName);
    const QString archive = "CN=Journal Archive,OU=Journal," + labBase();
    const QString markerIn = userDn("marker.in"), freeText = userDn("marker.freetext");
    attributes.keep(store, kJournal);
    attributes.keep(markerIn, kMarkers);
    attributes.keep(freeText, kMarkers);
    ASSERT_EQ(attributeAt(store, kJournal), std::nullopt);
    open();
    ASSERT_NE(select("First Storage Group", storeName), nullptr);
    ASSERT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");

    engine::pickJournalMailbox(form->context(), "Journal Archive", archive);
    stageUser(mailOf("marker.in"), true, true);
    stageUser(mailOf("marker.freetext"), false, false);
    // a row switched on the widget alone is not written
    users::setSubItemImage(users::findItem(ui().ListView1, mailOf("marker.both")), 1, users::kChecked);
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournal).value_or("").toLower(), archive.toLower());
    EXPECT_EQ(attributeAt(markerIn, kMarkers), std::nullopt);
    EXPECT_EQ(attributeAt(freeText, kMarkers), "free text###NoArcIn###NoArcOut");
    EXPECT_EQ(attributeAt(userDn("marker.both"), kMarkers), "###NoArcIn###NoArcOut");
    // the full refresh shows the store again, now journaled, and reads the new values
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Full journaling");
    EXPECT_EQ(ui().Label3->text(), "Journal Archive");
    EXPECT_EQ(ui().Command1->text(), "Refresh");
    EXPECT_FALSE(form->globals().blnChangesPending);
    QTreeWidgetItem* row = users::findItem(ui().ListView1, mailOf("marker.in"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(users::subItemImage(row, 1), users::kChecked);
    EXPECT_EQ(users::itemTag(row), "");
    EXPECT_EQ(users::itemForeColor(row), app::kBlack);

    ui().Check3->click();  // unticked: the journal mailbox is removed
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournal), std::nullopt);
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
}

TEST_F(ApplyLab, ASharedJournalMailboxIsRebuiltOnlyOnYes) {
    installApplication();
    const QString shared = "CN=Shared Archive,OU=Journal," + labBase();
    registered << shared;
    open();
    ASSERT_TRUE(form->state().blnComPlusInstalled);
    QString tag;
    store::CreateRegItem(registration(tag), shared, "Forward Target <fwd.target@tavimor.lab>", true);
    ASSERT_TRUE(store::CheckRegItem(registration(tag), shared, false)) << form->errorLog().text().toStdString();
    const QString other = "Other Person <" + mailOf("o'brien") + ">";
    // Picks another forwarding recipient for store A, answers the question, and
    // returns the tag the registration item then gives.
    const auto changeForwarding = [&](int answer) {
        EXPECT_NE(select("Second Storage Group", "Shared Journal A"), nullptr);
        engine::pickForwardingRecipient(form->context(), "Other Person", other);
        prompt.answers = {answer};
        form->Command1_Click();
        if (prompt.asked.empty()) return QString("(not asked)");
        EXPECT_EQ(prompt.asked.back().text,
                  "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?");
        EXPECT_EQ(prompt.asked.back().style, 308);
        tag = shared;
        EXPECT_TRUE(store::CheckRegItem(registration(tag), shared, true));
        return tag;
    };
    EXPECT_EQ(changeForwarding(app::mb::No), shared + N + "Forward Target <fwd.target@tavimor.lab>" + N + "Both");
    EXPECT_EQ(changeForwarding(app::mb::Yes), shared + N + other);
    EXPECT_EQ(prompt.asked.size(), 2u);
    // the other store of that mailbox now shows the new forwarding too
    QTreeWidgetItem* b = select("Second Storage Group", "Shared Journal B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tree::tag(b), shared + N + other);
    EXPECT_EQ(ui().Frame1->title(), "Shared Journal B - Tavimor");
}

TEST_F(ApplyLab, InstallingTheApplicationOnChange) {
    open();
    ASSERT_FALSE(form->state().blnComPlusInstalled);
    registered << "CN=Archive D'Arcy,OU=Journal," + labBase();
    ui().CheckRegCom->setChecked(true);
    ASSERT_EQ(app::foreColor(ui().CheckRegCom), app::kRed);
    ASSERT_TRUE(form->globals().blnChangesPending);
    form->Command1_Click();

    EXPECT_TRUE(form->state().blnComPlusInstalled);
    EXPECT_EQ(ui().Label8->text(), "COM+ object \"Tavimor\" is installed.");
    EXPECT_FALSE(ui().CheckRegCom->isChecked());
    EXPECT_EQ(app::foreColor(ui().CheckRegCom), app::kBlack);
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
    app::MemoryErrorLog log;
    app::Globals g;
    QString identity;
    EXPECT_TRUE(complus::ComPlus(log, g, probes).CheckComPlusApp("Tavimor", identity));
}

}  // namespace
