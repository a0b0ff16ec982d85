// "Select Forwarding Recipient" against the lab's recipients.
#include "pickers/SelectRecipient.h"
#include "pickers_lab.h"

#include <gtest/gtest.h>

using namespace testing_support;
using namespace pickers;

namespace {

const char kRecipients[] =
    "(&(mail=*)(|(objectCategory=publicFolder)(objectCategory=group)"
    "(&(objectCategory=person)(|(objectClass=user)(objectClass=contact)))))";

QTreeWidgetItem* rowOf(const QTreeWidget* list, const QString& alias) { return users::findItem(list, mailOf(alias)); }

}  // namespace

TEST(SelectRecipientLab, OffersEveryKindOfRecipientButTheStoresJournalMailbox) {
    REQUIRE_LAB();
    PickerLabForm f;
    const QString journal = userDn("journal.archive");
    f.addStore("Journaled Store", storeDn("First Storage Group", "Journaled Store"),
               journal + QChar(0) + "Someone <someone@x>");
    PickerMemory memory;
    SelectRecipient d(f.ctx, memory);
    d.Form_Activate();
    QTreeWidget* list = d.ListView1;

    EXPECT_EQ(listedKeys(list), expectedKeys(kRecipients, journal));
    EXPECT_EQ(rowOf(list, "journal.archive"), nullptr);
    struct Kind {
        const char* alias;
        const char* icon;
        const char* tag;
    };
    for (const Kind& k : {Kind{"marker.none", "user", ""}, Kind{"dora.disabled", "userdisabled", ""},
                          Kind{"staff", "group", ""}, Kind{"all-hands", "group", ""},
                          Kind{"partner", "contact", ""}, Kind{"sales-folder", "pf", "pf"},
                          Kind{"customers'-folder", "pf", "pf"}}) {
        QTreeWidgetItem* row = rowOf(list, k.alias);
        ASSERT_NE(row, nullptr) << k.alias;
        EXPECT_EQ(users::smallIcon(row), k.icon) << k.alias;
        EXPECT_EQ(users::itemTag(row), k.tag) << k.alias;
    }
    EXPECT_EQ(d.selectedItem(), list->topLevelItem(0));

    QTreeWidgetItem* folder = rowOf(list, "o'reilly-folder");
    ASSERT_NE(folder, nullptr);
    list->setCurrentItem(folder);
    d.Command1_Click();
    EXPECT_EQ(f.ui.Label4->caption(), "O'Reilly Folder");
    EXPECT_EQ(f.ui.Text4->text(), "O'Reilly Folder <o'reilly-folder@tavimor.lab>");
    EXPECT_FALSE(f.ui.TreeView1->isEnabled());
}

TEST(SelectRecipientLab, WithoutAJournalMailboxNothingIsLeftOutForIt) {
    REQUIRE_LAB();
    PickerLabForm f;
    f.addStore("Mailbox Store", storeDn("First Storage Group", "Mailbox Store (" + labHost() + ")"), "");
    PickerMemory memory;
    SelectRecipient d(f.ctx, memory);
    d.Form_Activate();
    EXPECT_EQ(listedKeys(d.ListView1), expectedKeys(kRecipients));
    EXPECT_NE(rowOf(d.ListView1, "journal.archive"), nullptr);
}
