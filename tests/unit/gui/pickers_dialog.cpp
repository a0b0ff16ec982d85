// The picker dialogs with rows put in by hand: sorting and the arrow, and what
// OK and Cancel hand back to the main window.
#include "kit/Colors.h"
#include "engine_form.h"
#include "pickers/SelectMailbox.h"
#include "pickers/SelectRecipient.h"
#include "users/ListItem.h"
#include "users/ListSort.h"

#include <gtest/gtest.h>

using namespace pickers;
using testing_support::EngineForm;
using testing_support::firstColumnTexts;

namespace {

// Adds a row as the list fill would and selects it.
QTreeWidgetItem* addRow(PickerDialog& d, const QString& name, const QString& mail, const QString& forward = "") {
    auto* item = new users::ListItem;
    const QString texts[] = {name, "CN=" + name, mail, forward};
    for (int column = 0; column < 4; ++column) item->setText(column, texts[column]);
    users::setItemKey(item, mail);
    d.ListView1->addTopLevelItem(item);
    d.ListView1->setCurrentItem(item);
    return item;
}

// A journal-mailbox picker (no directory: the list starts empty) whose writer
// records its calls and answers `firstResult` to the first.
struct MailboxPicker {
    explicit MailboxPicker(int16_t firstResult = 1)
        : dialog(f.mailboxTarget(), memory, f.prompt, [this, firstResult](const QString& a, const QString& n, const QVariant& v) {
              writes << a + " " + n + "=" + (v.isNull() ? "null" : v.toString());
              return writes.size() == 1 ? firstResult : int16_t(1);
          }) {
        f.connectPanel();
        dialog.Form_Activate();
    }
    EngineForm f;
    PickerMemory memory;
    QStringList writes;
    SelectMailbox dialog;
};

}  // namespace

TEST(PickerDialog, HeaderClicksSortTheVisibleColumnsAndTheHiddenOneDoesNothing) {
    MailboxPicker p;
    SelectMailbox& d = p.dialog;
    EXPECT_EQ(d.ListView1->columnCount(), 4);
    EXPECT_EQ(d.ListView1->columnWidth(1), 0);
    addRow(d, "Ben", "a@x");
    addRow(d, "anna", "c@x");
    addRow(d, "Carl", "b@x");
    d.SortByFirstColumn();
    EXPECT_EQ(firstColumnTexts(d.ListView1), QStringList({"anna", "Ben", "Carl"}));
    EXPECT_EQ(d.selectedItem()->text(0), "anna");

    d.ColumnClick(1);  // opening sorted ascending: the first click turns it round
    EXPECT_EQ(firstColumnTexts(d.ListView1), QStringList({"Carl", "Ben", "anna"}));
    EXPECT_EQ(p.memory.lastSelectedKey, "c@x");

    d.ColumnClick(2);
    EXPECT_EQ(firstColumnTexts(d.ListView1), QStringList({"Carl", "Ben", "anna"}));
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 1);

    d.ColumnClick(3);  // first click on another column: ascending
    EXPECT_EQ(firstColumnTexts(d.ListView1), QStringList({"Ben", "Carl", "anna"}));
    EXPECT_EQ(users::sortArrowColumn(d.ListView1), 3);
    EXPECT_EQ(users::listSortOrder(d.ListView1), 0);
    EXPECT_EQ(p.memory.sortOrder, (QHash<int, int16_t>{{1, 1}, {3, 0}, {4, 1}}));
}

TEST(PickerDialog, RecipientOkHandsBackNameAndForwardingTextAndCancelNothing) {
    EngineForm f;
    f.connectPanel();
    PickerMemory memory;
    const auto pick = [&](const QString& name, const QString& mail, bool ok) {
        SelectRecipient d(f.recipientTarget(), memory);
        d.Form_Activate();
        if (!name.isNull()) addRow(d, name, mail);
        ok ? d.Command1_Click() : d.Command2_Click();
        EXPECT_TRUE(d.closed());
    };
    pick("  Ann Smith ", " ann@x ", false);
    EXPECT_EQ(f.ui.Label4->caption(), "");
    EXPECT_TRUE(f.ui.TreeView1->isEnabled());

    pick("  Ann Smith ", " ann@x ", true);
    EXPECT_EQ(f.ui.Label4->caption(), "Ann Smith");
    EXPECT_EQ(f.panel.forwarding().value, "Ann Smith <ann@x>");
    EXPECT_FALSE(f.ui.TreeView1->isEnabled());

    pick(QString(), QString(), true);  // nothing selected: the fields stay
    EXPECT_EQ(f.panel.forwarding().value, "Ann Smith <ann@x>");
    pick("Folder", "", true);
    EXPECT_EQ(f.panel.forwarding().value, "Folder");
    // A blank name removes the recipient; no earlier forwarding text is left behind.
    pick("   ", "blank@x", true);
    EXPECT_EQ(f.ui.Label4->caption(), "");
    EXPECT_EQ(f.panel.forwarding().value, "");
}

TEST(PickerDialog, MailboxOkAsksBeforeRemovingAForwardingRuleAndTakesTheUser) {
    MailboxPicker p;
    kit::setBackColor(p.f.ui.Label3, kit::kRed);
    addRow(p.dialog, "Fwd", "fwd@x", "Target <t@x>");
    p.f.prompt.answers = {state::mb::Cancel, state::mb::Ok};
    p.dialog.Command1_Click();
    ASSERT_EQ(p.f.prompt.asked.size(), 1u);
    // the administrator reads this question as it stands
    EXPECT_EQ(p.f.prompt.asked[0].text,
              "There exists a forwarding rule in the Delivery options of this user.\r"
              "You should delete it to allow Tavimor application to function properly.\r"
              "Delete the forwarding rule?");
    EXPECT_FALSE(p.dialog.closed());
    EXPECT_TRUE(p.writes.isEmpty());
    EXPECT_EQ(p.f.ui.Label3->caption(), "");
    EXPECT_TRUE(p.f.ui.TreeView1->isEnabled());

    p.dialog.Command1_Click();
    EXPECT_EQ(p.writes, QStringList({"fwd@x deliverAndRedirect=false", "fwd@x altRecipient=null"}));
    EXPECT_EQ(p.f.ui.Label3->caption(), "Fwd");
    EXPECT_EQ(p.f.panel.journal().value, "CN=Fwd");
    EXPECT_EQ(kit::backColor(p.f.ui.Label3), kit::kButtonFace);
    EXPECT_FALSE(p.f.ui.TreeView1->isEnabled());
    EXPECT_TRUE(p.dialog.closed());

    MailboxPicker plain;  // no forwarding: no question
    addRow(plain.dialog, "Anna", "anna@x");
    plain.dialog.Command1_Click();
    EXPECT_TRUE(plain.f.prompt.asked.empty());
    EXPECT_EQ(plain.f.ui.Label3->caption(), "Anna");

    // forwarding that cannot be switched off: the recipient stays, the user is taken
    MailboxPicker denied(-1);
    addRow(denied.dialog, "Fwd", "fwd@x", "Target");
    denied.dialog.Command1_Click();
    EXPECT_EQ(denied.writes, QStringList({"fwd@x deliverAndRedirect=false"}));
    EXPECT_EQ(denied.f.ui.Label3->caption(), "Fwd");
    EXPECT_TRUE(denied.dialog.closed());
}
