// "Select Journal Mailbox" against the lab's users.
#include "pickers/Pickers.h"
#include "pickers_lab.h"

#include <gtest/gtest.h>

using namespace testing_support;
using namespace pickers;

namespace {

QStringList rowNames(const QTreeWidget* list) {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    return names;
}

}  // namespace

TEST(SelectMailboxLab, ListsTheServersUserAccountsWithIconsAndForwardingRecipients) {
    REQUIRE_LAB();
    PickerLabForm f;
    ASSERT_FALSE(f.g.strResponsibleMTAServer.isEmpty());
    PickerMemory memory;
    SelectMailbox d(f.mailboxTarget(), memory, f.prompt, {});
    d.Form_Activate();
    QTreeWidget* list = d.ListView1;

    EXPECT_EQ(listedKeys(list), expectedKeys("(&(mail=*)(objectCategory=person)(objectClass=user)"
                                             "(sAMAccountType=805306368)(homeMTA=" +
                                             filterValue(f.g.strResponsibleMTAServer) + "))"));
    EXPECT_NE(rowOf(list, "journal.archive"), nullptr);  // may be chosen again
    EXPECT_NE(rowOf(list, "SystemMailbox"), nullptr);    // no brace: an ordinary user
    EXPECT_EQ(rowOf(list, "evsadmin"), nullptr);         // homed on the cluster's server
    QTreeWidgetItem* dora = rowOf(list, "dora.disabled");
    ASSERT_NE(dora, nullptr);
    EXPECT_EQ(users::itemTag(dora), "userdisabled");
    EXPECT_EQ(dora->text(1), userDn("dora.disabled"));
    EXPECT_EQ(dora->text(3), "");
    EXPECT_EQ(rowOf(list, "fwd.user")->text(3), QString::fromUtf8("Jürgen Weiß <juergen.weiss@tavimor.lab>"));
    EXPECT_EQ(rowOf(list, "fwd.contact")->text(3), "External Partner <partner@example.com>");
    EXPECT_EQ(rowOf(list, "fwd.only")->text(3), QString::fromUtf8("Seán O'Brien <o'brien@tavimor.lab>"));

    QStringList byName = rowNames(list);
    std::sort(byName.begin(), byName.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(rowNames(list), byName);
    EXPECT_EQ(d.selectedItem(), list->topLevelItem(0));
}

TEST(SelectMailboxLab, OkClearsTheChosenUsersForwardingRuleAndTakesTheUser) {
    REQUIRE_LAB();
    const QString dn = userDn("fwd.contact");
    AttributeKeeper attributes;  // the forwarding rule is put back as it was
    attributes.keep(dn, "deliverAndRedirect");
    attributes.keep(dn, "altRecipient");
    ASSERT_EQ(attributeAt(dn, "deliverAndRedirect"), "TRUE");
    ASSERT_NE(attributeAt(dn, "altRecipient"), std::nullopt);
    PickerLabForm f;
    PickerMemory memory;
    SelectMailbox d(f.mailboxTarget(), memory, f.prompt, directoryWriter(f.prompt, f.g));
    d.Form_Activate();
    ASSERT_NE(rowOf(d.ListView1, "fwd.contact"), nullptr);
    d.ListView1->setCurrentItem(rowOf(d.ListView1, "fwd.contact"));

    // the question and a Cancel are tested on recorded writes (pickers_dialog.cpp)
    f.prompt.answers = {app::mb::Ok};
    d.Command1_Click();
    EXPECT_TRUE(d.closed());
    EXPECT_EQ(f.prompt.asked.size(), 1u);  // the question, no denied write
    EXPECT_EQ(ldapsearchValues("(mailNickname=fwd.contact)", "deliverAndRedirect").value(0), "FALSE");
    EXPECT_TRUE(ldapsearchValues("(mailNickname=fwd.contact)", "altRecipient").isEmpty());
    EXPECT_EQ(f.ui.Label3->caption(), "Forward To Contact");
    EXPECT_EQ(f.panel.journal().value, dn);
}
