// "Select Forwarding Recipient" against the lab's recipients.
#include "pickers/SelectRecipient.h"
#include "pickers_lab.h"

#include <gtest/gtest.h>

using namespace testing_support;
using namespace pickers;

TEST(SelectRecipientLab, OffersEveryKindOfRecipientButTheStoresJournalMailbox) {
    REQUIRE_LAB();
    const QString all = "(&(mail=*)(|(objectCategory=publicFolder)(objectCategory=group)"
                        "(&(objectCategory=person)(|(objectClass=user)(objectClass=contact)))))";
    const QString journal = userDn("journal.archive");
    PickerLabForm f;
    PickerMemory memory;
    for (const QString& tag : {journal + QChar(0) + "Someone <someone@x>", QString()}) {
        f.addStore("Store", "CN=Store", tag);
        SelectRecipient d(f.recipientTarget(), memory);
        d.Form_Activate();
        EXPECT_EQ(listedKeys(d.ListView1), expectedKeys(all, tag.isEmpty() ? QString() : journal));
        EXPECT_EQ(rowOf(d.ListView1, "journal.archive") != nullptr, tag.isEmpty());
    }

    SelectRecipient d(f.recipientTarget(), memory);
    d.Form_Activate();
    for (const auto& [alias, icon] : {std::pair{"dora.disabled", "userdisabled"}, {"staff", "group"},
                                      {"all-hands", "group"}, {"partner", "contact"}, {"sales-folder", "pf"}}) {
        QTreeWidgetItem* row = rowOf(d.ListView1, alias);
        ASSERT_NE(row, nullptr) << alias;
        EXPECT_EQ(users::smallIcon(row), icon) << alias;
        EXPECT_EQ(users::itemTag(row), icon == QString("pf") ? "pf" : "") << alias;
    }
    d.ListView1->setCurrentItem(rowOf(d.ListView1, "o'reilly-folder"));
    d.Command1_Click();
    EXPECT_EQ(f.ui.Label4->caption(), "O'Reilly Folder");
    EXPECT_EQ(f.panel.forwarding().value, "O'Reilly Folder <o'reilly-folder@tavimor.lab>");
}
