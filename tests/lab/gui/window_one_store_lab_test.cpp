// Change, through the whole window against the lab: the store's journal
// recipient and users' markers (the tests put the directory back; the decisions
// of the apply, shared mailboxes and the COM+ install, are tested on recorded
// writes). The panel owns one store: with real mouse and keyboard events,
// whatever moves the tree's selection, Change writes only the store the panel
// shows, and a load overtaken by another store stops.
#include "kit/CaptionLabel.h"
#include "panel/PanelEvents.h"
#include "users/ListRoles.h"
#include "platform/directory/Directory.h"
#include "window_lab.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class OneStoreLab : public WindowLabTest {
protected:
    void SetUp() override {
        WindowLabTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const QString& dn : {first(), second(), shared()}) attributes.keep(dn, kJournalRecipient);
        open();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_EQ(form->loadedNode(), node("Second Storage Group", "Journaled Store"));
    }

    const panel::PanelModel& panel() { return form->panel(); }
    static QString first() { return storeDn("First Storage Group", "Journaled Store"); }
    static QString second() { return storeDn("Second Storage Group", "Journaled Store"); }
    static QString shared() { return storeDn("Second Storage Group", "Shared Journal A"); }
    QPoint at(QTreeWidgetItem* n) { return ui().TreeView1->visualItemRect(n).center(); }
    QWidget* treeArea() { return ui().TreeView1->viewport(); }

    // Unticks "Archive mailbox:" with the mouse: the journal mailbox is staged for removal.
    void untickArchive() {
        ASSERT_TRUE(ui().Check3->isChecked());
        QTest::mouseClick(ui().Check3, Qt::LeftButton);
        ASSERT_EQ(ui().Command1->text(), "Change");
    }
    void pressChange() {
        QTest::mouseClick(ui().Command1, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    static std::optional<QString> journalOf(const QString& dn) { return attributeAt(dn, kJournalRecipient); }
};

// Fault 1: the right button and a press dragged off before release moved the
// selection without a load, and Change wrote the staged removal to that store.
TEST_F(OneStoreLab, ChangeAfterARightClickOrADraggedPressWritesNoOtherStore) {
    const auto before = journalOf(first()), own = journalOf(second());
    ASSERT_TRUE(before && own);
    QTreeWidgetItem* other = node("First Storage Group", "Journaled Store");

    untickArchive();
    QTest::mouseClick(treeArea(), Qt::RightButton, {}, at(other));
    QCoreApplication::processEvents();
    // the store the selection moved to is loaded; the staged edits are gone
    EXPECT_TRUE(panel().isLoaded(first()));
    EXPECT_EQ(ui().TreeView1->currentItem(), other);
    pressChange();
    EXPECT_EQ(journalOf(first()), before);
    EXPECT_EQ(journalOf(second()), own);

    // pressed on the other store, released elsewhere: wherever the selection
    // rests, it rests on the loaded store, and only that store is written
    QTest::mouseClick(treeArea(), Qt::LeftButton, {}, at(node("Second Storage Group", "Journaled Store")));
    untickArchive();
    const QPoint away(2, ui().TreeView1->viewport()->height() - 2);
    QTest::mousePress(treeArea(), Qt::LeftButton, {}, at(node("First Storage Group", "Journaled Store")));
    QTest::mouseMove(treeArea(), away);
    QTest::mouseRelease(treeArea(), Qt::LeftButton, {}, away);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->loadedNode(), ui().TreeView1->currentItem());
    pressChange();
    EXPECT_EQ(journalOf(first()), before);
}

// Fault 4: the keyboard moved onto a storage group and Change loaded the group
// as a store (its stores deleted, the edits written elsewhere).
TEST_F(OneStoreLab, KeyboardOntoAGroupIsPutBackAndChangeWritesTheLoadedStore) {
    QTreeWidgetItem* loaded = form->loadedNode();
    untickArchive();
    ui().TreeView1->setFocus();
    QTest::keyClick(ui().TreeView1, Qt::Key_Home);  // the first storage group
    QCoreApplication::processEvents();
    EXPECT_EQ(ui().TreeView1->currentItem(), loaded);
    EXPECT_EQ(ui().Command1->text(), "Change");  // nothing was loaded: the edits stay
    pressChange();
    EXPECT_EQ(journalOf(second()), std::nullopt);
    EXPECT_EQ(form->state().strLastSelectedMailboxStore, "Journaled Store");
    EXPECT_EQ(node("Second Storage Group", "Journaled Store"), form->loadedNode());
}

// Fault 2: a store clicked while another one loads; the first load ran on and
// left the panel showing it while the tree showed the second.
TEST_F(OneStoreLab, AStoreClickedDuringALoadOwnsThePanel) {
    const QString mailboxStore = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    QTreeWidgetItem* slow = node("First Storage Group", mailboxStore);
    QTreeWidgetItem* wanted = node("Second Storage Group", "Shared Journal A");
    ASSERT_TRUE(slow && wanted);
    const QString wantedTag = engine::nodeTag(wanted);
    bool clickedDuringLoad = false;
    // The first row read lets the window process messages: the second click lands then.
    QTimer::singleShot(0, form.get(), [&] {
        clickedDuringLoad = panel().isLoaded(storeDn("First Storage Group", mailboxStore));
        QTest::mouseClick(treeArea(), Qt::LeftButton, {}, at(wanted));
    });
    QTest::mouseClick(treeArea(), Qt::LeftButton, {}, at(slow));
    QCoreApplication::processEvents();
    ASSERT_TRUE(clickedDuringLoad);
    EXPECT_TRUE(panel().isLoaded(shared()));
    EXPECT_EQ(ui().TreeView1->currentItem(), wanted);
    EXPECT_TRUE(ui().Frame1->title().startsWith("Shared Journal A - ")) << ui().Frame1->title().toStdString();
    EXPECT_EQ(ui().Label3->caption(), "Shared Archive");
    EXPECT_EQ(engine::nodeTag(wanted), wantedTag);
    EXPECT_EQ(form->state().strLastSelectedMailboxStore, "Shared Journal A");
}

// Fault 3: a journal mailbox picked, then "Archive mailbox:" unticked: Change
// wrote the picked mailbox. Ticking the box again needs a new pick.
TEST_F(OneStoreLab, UntickAfterAPickRemovesTheJournalMailbox) {
    const QString archive = "CN=Journal Archive,OU=Journal," + labBase();
    form->pickers().showSelectMailbox = [&] {
        panel::pickJournalMailbox(form->panel(), "Journal Archive", archive);
    };
    QTest::mouseClick(ui().Command3, Qt::LeftButton);  // Browse, then OK in the picker
    ASSERT_EQ(ui().Label3->caption(), "Journal Archive");
    untickArchive();
    QTest::mouseClick(ui().Check3, Qt::LeftButton);  // ticked again, no new pick
    pressChange();
    EXPECT_EQ(journalOf(second()), std::nullopt);
}

const QString kMarkers = QStringLiteral("extensionAttribute10");

class ApplyLab : public WindowLabTest {
protected:
    panel::PanelModel& panel() { return form->panel(); }

    // Loads a store into the panel as selecting it does.
    QTreeWidgetItem* select(const QString& group, const QString& name) {
        QTreeWidgetItem* found = node(group, name);
        if (found && ui().TreeView1->currentItem() != found) ui().TreeView1->setCurrentItem(found);
        QCoreApplication::processEvents();
        return found;
    }

    void stageUser(const QString& mail, bool in, bool out) {
        const panel::UserRow* row = panel().user(mail);
        ASSERT_NE(row, nullptr) << mail.toStdString();
        const size_t i = static_cast<size_t>(row - panel().users().data());
        if (row->switches.ingoing != in) panel().setSwitch(i, 1, in);
        if (row->switches.outgoing != out) panel().setSwitch(i, 2, out);
    }
};

TEST_F(ApplyLab, ChangeWritesTheJournalMailboxAndStagedUsersMarkersAndRemovesTheMailboxAgain) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QString store = storeDn("First Storage Group", storeName);
    const QString archive = "CN=Journal Archive,OU=Journal," + labBase();
    const QString markerIn = userDn("marker.in"), freeText = userDn("marker.freetext");
    attributes.keep(store, kJournalRecipient);
    attributes.keep(markerIn, kMarkers);
    attributes.keep(freeText, kMarkers);
    ASSERT_EQ(attributeAt(store, kJournalRecipient), std::nullopt);
    open();
    ASSERT_NE(select("First Storage Group", storeName), nullptr);

    panel::pickJournalMailbox(form->panel(), "Journal Archive", archive);
    stageUser(mailOf("marker.in"), true, true);
    stageUser(mailOf("marker.freetext"), false, false);
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournalRecipient).value_or("").toLower(), archive.toLower());
    EXPECT_EQ(attributeAt(markerIn, kMarkers), std::nullopt);
    EXPECT_EQ(attributeAt(freeText, kMarkers), "free text###NoArcIn###NoArcOut");
    EXPECT_EQ(attributeAt(userDn("marker.both"), kMarkers), "###NoArcIn###NoArcOut");
    // the full refresh shows the store again, now journaled
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Full journaling");

    ui().Check3->click();  // unticked: the journal mailbox is removed
    form->Command1_Click();
    EXPECT_EQ(attributeAt(store, kJournalRecipient), std::nullopt);
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
}

// Fault: after a header click sorted the list, Change wrote the users' markers,
// and reported the users it could not write, in the order the directory had
// returned them. Signed in as an ordinary user for Change, every write is denied: one
// message and one log entry per user, then the summary, in the list's order.
TEST_F(ApplyLab, AfterAHeaderSortChangeWritesAndReportsUsersInTheListsOrder) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QStringList aliases{"marker.both", "marker.freetext", "marker.in"};
    QStringList mails, before;
    for (const QString& alias : aliases) {
        attributes.keep(userDn(alias), kMarkers);
        mails << mailOf(alias);
        before << attributeAt(userDn(alias), kMarkers).value_or("(none)");
    }
    open();
    ASSERT_NE(select("First Storage Group", storeName), nullptr);
    QHeaderView* header = ui().ListView1->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));  // Z to A now
    QStringList listed;
    const QAbstractItemModel* rows = ui().ListView1->model();
    for (int i = 0; i < rows->rowCount(); ++i)
        if (const QString key = rows->index(i, 0).data(users::KeyRole).toString(); mails.contains(key)) listed << key;
    ASSERT_EQ(listed, (QStringList{mails[2], mails[1], mails[0]}));
    for (const QString& mail : mails) stageUser(mail, true, true);

    environment.set("LDAPBINDDN", labEnv("LAB_LIMITED_BINDDN").toUtf8());
    environment.set("TAVIMOR_BIND_PASSWORD_FILE", labEnv("LAB_LIMITED_PASSWORD_FILE").toUtf8());
    platform::directory::resetConnectionCache();
    form->Command1_Click();
    const QString log = ui().txtErr->toPlainText();  // newest first
    const auto entry = [&](const QString& mail) { return log.indexOf("] " + mail + " - ERROR: -2147024891 "); };
    EXPECT_GE(entry(listed[2]), 0) << log.toStdString();
    EXPECT_LT(entry(listed[2]), entry(listed[1]));
    EXPECT_LT(entry(listed[1]), entry(listed[0]));
    EXPECT_TRUE(log.contains("0 of 3 users written. Written: none. Not written: " + listed.join(", ") + "."))
        << log.toStdString();
    EXPECT_EQ(prompt.asked.size(), 3u);
    for (int i = 0; i < aliases.size(); ++i)
        EXPECT_EQ(attributeAt(userDn(aliases[i]), kMarkers).value_or("(none)"), before[i]);
    platform::directory::resetConnectionCache();
}

}  // namespace
