// The picker dialogs' own behaviour with rows put in by hand: columns, sorting
// and the arrow, and what OK and Cancel hand back to the main window.
#include "app/Colors.h"
#include "app/ProgressStrip.h"
#include "app/StatusPanels.h"
#include "engine_form.h"
#include "pickers/SelectMailbox.h"
#include "pickers/SelectRecipient.h"
#include "users/ListItem.h"
#include "users/ListSort.h"

#include <QHeaderView>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace pickers;
using testing_support::EngineForm;

namespace {

// Adds a row as the list fill would: name, key, icon and the sub-items.
QTreeWidgetItem* addRow(PickerDialog& d, const QString& name, const QString& mail, const QString& forward = "") {
    auto* item = new users::ListItem;
    item->setText(0, name);
    item->setText(1, "CN=" + name + ",OU=Staff,DC=tavimor,DC=lab");
    item->setText(2, mail);
    if (d.ListView1->columnCount() > 3) item->setText(3, forward);
    users::setItemKey(item, mail);
    users::setSmallIcon(item, "user");
    d.ListView1->addTopLevelItem(item);
    return item;
}

QStringList names(const QTreeWidget* list) {
    QStringList n;
    for (int i = 0; i < list->topLevelItemCount(); ++i) n << list->topLevelItem(i)->text(0);
    return n;
}

struct WriteCall {
    QString address, attribute;
    QVariant value;
};

struct MailboxPicker {
    explicit MailboxPicker(int16_t firstResult = 1) {
        dialog = std::make_unique<SelectMailbox>(f.ctx, memory, [this, firstResult](const QString& a, const QString& n,
                                                                                       const QVariant& v) {
            writes.push_back({a, n, v});
            return writes.size() == 1 ? firstResult : int16_t(1);
        });
        dialog->Form_Activate();
    }
    EngineForm f;
    PickerMemory memory;
    std::vector<WriteCall> writes;
    std::unique_ptr<SelectMailbox> dialog;
};

}  // namespace

TEST(PickerDialog, ActivationBuildsTheControlsAndAnUnreadableListStaysEmpty) {
    EngineForm f;  // no directory connection
    PickerMemory memory;
    SelectMailbox d(f.ctx, memory, {});
    EXPECT_EQ(d.windowTitle(), "Select Journal Mailbox");
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.Command1->text(), "OK");
    EXPECT_EQ(d.Command2->text(), "Cancel");
    EXPECT_NE(app::statusPanel(d.StatusBar1, "text"), nullptr);
    EXPECT_NE(app::statusPanel(d.StatusBar1, "progress"), nullptr);
    d.Form_Activate();
    d.Form_Activate();  // once per showing
    ASSERT_EQ(d.ListView1->columnCount(), 4);
    EXPECT_EQ(d.ListView1->headerItem()->text(1), "Distinguished Name");
    EXPECT_EQ(d.ListView1->headerItem()->text(3), "Forward To");
    EXPECT_EQ(d.ListView1->columnWidth(1), 0);
    EXPECT_EQ(d.ListView1->topLevelItemCount(), 0);
    EXPECT_FALSE(d.Picture1->isVisible());
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 1);

    SelectRecipient r(f.ctx, memory);
    r.Form_Activate();
    EXPECT_EQ(r.windowTitle(), "Select Forwarding Recipient");
    ASSERT_EQ(r.ListView1->columnCount(), 3);
    EXPECT_EQ(r.ListView1->headerItem()->text(2), "E-mail address");
    EXPECT_EQ(r.ListView1->columnWidth(1), 0);
}

TEST(PickerDialog, HeaderClicksSortTheVisibleColumnsAndTheHiddenOneDoesNothing) {
    MailboxPicker p;
    SelectMailbox& d = *p.dialog;
    addRow(d, "Ben", "a@x");
    addRow(d, "anna", "c@x");
    addRow(d, "Carl", "b@x");
    d.SortByFirstColumn();
    EXPECT_EQ(names(d.ListView1), QStringList({"anna", "Ben", "Carl"}));
    EXPECT_EQ(d.selectedItem()->text(0), "anna");
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 1);
    EXPECT_EQ(users::listSortOrder(d.ListView1), 0);

    d.ColumnClick(1);  // opening sorted ascending: the first click turns it round
    EXPECT_EQ(names(d.ListView1), QStringList({"Carl", "Ben", "anna"}));
    EXPECT_EQ(p.memory.lastSelectedKey, "c@x");

    d.ColumnClick(2);  // the hidden column
    EXPECT_EQ(names(d.ListView1), QStringList({"Carl", "Ben", "anna"}));
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 1);
    EXPECT_FALSE(p.memory.sortOrder.contains(2));

    d.ColumnClick(3);  // first click on another column: ascending
    EXPECT_EQ(names(d.ListView1), QStringList({"Ben", "Carl", "anna"}));
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 3);
    EXPECT_EQ(users::listSortOrder(d.ListView1), 0);
    EXPECT_EQ(p.memory.sortOrder.value(1), 1);
    EXPECT_EQ(p.memory.sortOrder.value(4), 1);

    d.ColumnClick(4);  // set to descending by the click before: toggled to ascending
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 4);
    EXPECT_EQ(users::listSortOrder(d.ListView1), 0);
}

TEST(PickerDialog, RecipientOkHandsBackNameAndForwardingText) {
    EngineForm f;
    PickerMemory memory;
    f.ui.Text4->setText("Old <old@x>");
    {
        SelectRecipient d(f.ctx, memory);
        d.Form_Activate();
        d.ListView1->setCurrentItem(addRow(d, "  Ann Smith ", " ann@x "));
        d.Command1_Click();
        EXPECT_TRUE(d.closed());
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(f.ui.Label4->caption(), "Ann Smith");
    EXPECT_EQ(f.ui.Text4->text(), "Ann Smith <ann@x>");
    EXPECT_FALSE(f.ui.TreeView1->isEnabled());

    f.ui.TreeView1->setEnabled(true);
    {
        SelectRecipient d(f.ctx, memory);
        d.Form_Activate();
        d.ListView1->setCurrentItem(addRow(d, "Folder", ""));
        d.Command1_Click();
    }
    EXPECT_EQ(f.ui.Text4->text(), "Folder");

    // A blank name removes the recipient; no earlier forwarding text is left behind.
    {
        SelectRecipient d(f.ctx, memory);
        d.Form_Activate();
        d.ListView1->setCurrentItem(addRow(d, "   ", "blank@x"));
        d.Command1_Click();
    }
    EXPECT_EQ(f.ui.Label4->caption(), "");
    EXPECT_EQ(f.ui.Text4->text(), "");
}

TEST(PickerDialog, OkWithoutSelectionOnlyDisablesTheTreeAndCancelTouchesNothing) {
    EngineForm f;
    PickerMemory memory;
    f.ui.Label4->setCaption("Kept");
    f.ui.Text4->setText("Kept <k@x>");
    {
        SelectRecipient d(f.ctx, memory);
        d.Form_Activate();
        addRow(d, "Ann", "ann@x");
        d.ListView1->clearSelection();
        d.Command2_Click();
        EXPECT_TRUE(d.closed());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(f.ui.TreeView1->isEnabled());
    {
        SelectRecipient d(f.ctx, memory);
        d.Form_Activate();
        d.Command1_Click();
        EXPECT_TRUE(d.closed());
    }
    EXPECT_FALSE(f.ui.TreeView1->isEnabled());
    EXPECT_EQ(f.ui.Label4->caption(), "Kept");
    EXPECT_EQ(f.ui.Text4->text(), "Kept <k@x>");
}

TEST(PickerDialog, MailboxWithoutForwardingIsTakenWithoutAQuestion) {
    MailboxPicker p;
    app::setBackColor(p.f.ui.Label3, app::kRed);
    p.dialog->ListView1->setCurrentItem(addRow(*p.dialog, "Anna", "anna@x"));
    p.dialog->Command1_Click();
    EXPECT_TRUE(p.f.prompt.asked.empty());
    EXPECT_TRUE(p.writes.empty());
    EXPECT_EQ(p.f.ui.Label3->caption(), "Anna");
    EXPECT_EQ(p.f.ui.Text3->text(), "CN=Anna,OU=Staff,DC=tavimor,DC=lab");
    EXPECT_EQ(app::backColor(p.f.ui.Label3), app::kButtonFace);
    EXPECT_FALSE(p.f.ui.TreeView1->isEnabled());
    EXPECT_TRUE(p.dialog->closed());
}

TEST(PickerDialog, ForwardingQuestionGuardsTheRemovalOfTheRule) {
    MailboxPicker p;
    p.f.prompt.answers = {app::mb::Cancel};
    p.dialog->ListView1->setCurrentItem(addRow(*p.dialog, "Fwd", "fwd@x", "Target <t@x>"));
    p.dialog->Command1_Click();
    ASSERT_EQ(p.f.prompt.asked.size(), 1u);
    EXPECT_EQ(p.f.prompt.asked[0].text,
              "There exists a forwarding rule in the Delivery options of this user.\r"
              "You should delete it to allow Tavimor application to function properly.\r"
              "Delete the forwarding rule?");
    EXPECT_EQ(p.f.prompt.asked[0].style, 49);
    EXPECT_EQ(p.f.prompt.asked[0].title, "Tavimor");
    EXPECT_FALSE(p.dialog->closed());
    EXPECT_TRUE(p.writes.empty());
    EXPECT_EQ(p.f.ui.Label3->caption(), "");
    EXPECT_TRUE(p.f.ui.TreeView1->isEnabled());

    p.f.prompt.answers = {app::mb::Ok};
    p.dialog->Command1_Click();
    ASSERT_EQ(p.writes.size(), 2u);
    EXPECT_EQ(p.writes[0].address, "fwd@x");
    EXPECT_EQ(p.writes[0].attribute, "deliverAndRedirect");
    EXPECT_EQ(p.writes[0].value, QVariant(false));
    EXPECT_EQ(p.writes[1].attribute, "altRecipient");
    EXPECT_TRUE(p.writes[1].value.isNull());
    EXPECT_EQ(p.f.ui.Label3->caption(), "Fwd");
    EXPECT_TRUE(p.dialog->closed());
}

TEST(PickerDialog, RecipientIsKeptWhenForwardingCannotBeSwitchedOffButTheUserIsTaken) {
    MailboxPicker p(-1);
    p.dialog->ListView1->setCurrentItem(addRow(*p.dialog, "Fwd", "fwd@x", "Target"));
    p.dialog->Command1_Click();
    ASSERT_EQ(p.writes.size(), 1u);
    EXPECT_EQ(p.writes[0].attribute, "deliverAndRedirect");
    EXPECT_EQ(p.f.ui.Label3->caption(), "Fwd");
    EXPECT_TRUE(p.dialog->closed());
}
