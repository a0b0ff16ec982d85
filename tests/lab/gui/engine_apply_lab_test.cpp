// Change, through the whole window against the lab: the store's journal
// recipient and users' markers. The test puts the directory back. The decisions
// of the apply (shared mailboxes, the COM+ install) are tested on recorded writes.
#include "kit/CaptionLabel.h"
#include "panel/PanelEvents.h"
#include "users/ListItem.h"
#include "window_lab.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString kJournal = QStringLiteral("msExchMessageJournalRecipient");
const QString kMarkers = QStringLiteral("extensionAttribute10");

class ApplyLab : public WindowLabTest {
protected:
    app::InstallFormUi& ui() { return form->ui(); }

    engine::PanelModel& panel() { return form->panel(); }

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

    engine::pickJournalMailbox(form->panel(), form->ui().Label3, "Journal Archive", archive);
    stageUser(mailOf("marker.in"), true, true);
    stageUser(mailOf("marker.freetext"), false, false);
    // a row switched on the widget alone is not written
    users::setSubItemImage(users::findItem(ui().ListView1, mailOf("marker.both")), 1, users::kChecked);
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournal).value_or("").toLower(), archive.toLower());
    EXPECT_EQ(attributeAt(markerIn, kMarkers), std::nullopt);
    EXPECT_EQ(attributeAt(freeText, kMarkers), "free text###NoArcIn###NoArcOut");
    EXPECT_EQ(attributeAt(userDn("marker.both"), kMarkers), "###NoArcIn###NoArcOut");
    // the full refresh shows the store again, now journaled
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Full journaling");

    ui().Check3->click();  // unticked: the journal mailbox is removed
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournal), std::nullopt);
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
}

}  // namespace
