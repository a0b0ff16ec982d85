// "Select Journal Mailbox" and "Select Forwarding Recipient" against the lab's
// users and recipients.
#include "pickers/Pickers.h"
#include "pickers/SelectRecipient.h"
#include "platform/audit/Trail.h"
#include "tree_lab_form.h"

#include <QTemporaryDir>
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
    LabForm f;
    f.connectPanel();
    ASSERT_FALSE(f.g.strResponsibleMTAServer.isEmpty());
    PickerMemory memory;
    SelectMailbox d(f.mailboxTarget(), memory, f.prompt, {});
    d.Form_Activate();
    QTreeWidget* list = d.ListView1;

    EXPECT_EQ(listedKeys(list), expectedKeys("(&(mail=*)(objectCategory=person)(objectClass=user)"
                                             "(sAMAccountType=805306368)(homeMTA=" +
                                             filterValue(f.g.strResponsibleMTAServer) + "))"));
    EXPECT_NE(rowOf(list, "SystemMailbox"), nullptr);    // no brace: an ordinary user
    EXPECT_EQ(rowOf(list, "evsadmin"), nullptr);         // homed on the cluster's server
    QTreeWidgetItem* dora = rowOf(list, "dora.disabled");
    ASSERT_NE(dora, nullptr);
    EXPECT_EQ(users::smallIcon(dora), "userdisabled");
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
    QTemporaryDir dir;
    EnvScope environment;
    environment.set("TAVIMOR_AUDIT_FILE", dir.filePath("audit.jsonl").toUtf8());
    const QDateTime start = QDateTime::currentDateTimeUtc();
    LabForm f;
    f.connectPanel();
    PickerMemory memory;
    SelectMailbox d(f.mailboxTarget(), memory, f.prompt, directoryWriter(f.prompt, f.g));
    d.Form_Activate();
    ASSERT_NE(rowOf(d.ListView1, "fwd.contact"), nullptr);
    d.ListView1->setCurrentItem(rowOf(d.ListView1, "fwd.contact"));

    // the question and a Cancel are tested on recorded writes (pickers_dialog.cpp)
    f.prompt.answers = {state::mb::Ok};
    d.Command1_Click();
    EXPECT_TRUE(d.closed());
    EXPECT_EQ(f.prompt.asked.size(), 1u);  // the question, no denied write
    EXPECT_EQ(ldapsearchValues("(mailNickname=fwd.contact)", "deliverAndRedirect").value(0), "FALSE");
    EXPECT_TRUE(ldapsearchValues("(mailNickname=fwd.contact)", "altRecipient").isEmpty());
    QStringList trail;  // both writes in the audit trail
    for (const platform::audit::Entry& e : platform::audit::readTrail(start, nullptr))
        if (e.object == mailOf("fwd.contact")) trail << e.action + ": " + e.after + (e.done ? " done" : " failed");
    EXPECT_EQ(trail, (QStringList{"forwarding-rule: deliverAndRedirect false done", "forwarding-rule: altRecipient cleared done"}));
    EXPECT_EQ(f.ui.Label3->caption(), "Forward To Contact");
    EXPECT_EQ(f.panel.journal().value, dn);
}

TEST(SelectRecipientLab, OffersEveryKindOfRecipientButTheStoresJournalMailbox) {
    REQUIRE_LAB();
    const QString all = "(&(mail=*)(|(objectCategory=publicFolder)(objectCategory=group)"
                        "(&(objectCategory=person)(|(objectClass=user)(objectClass=contact)))))";
    const QString journal = userDn("journal.archive");
    ASSERT_FALSE(journal.isEmpty());
    LabForm f;
    f.connectPanel();
    PickerMemory memory;
    for (const QString& tag : {journal + QChar(0) + "Someone <someone@x>", QString()}) {
        f.addStore("Store", "CN=Store", tag);
        SelectRecipient d(f.recipientTarget(), memory);
        d.Form_Activate();
        EXPECT_EQ(listedKeys(d.ListView1), expectedKeys(all, tag.isEmpty() ? QString() : journal));
    }

    SelectRecipient d(f.recipientTarget(), memory);
    d.Form_Activate();
    for (const auto& [alias, icon] : {std::pair{"dora.disabled", "userdisabled"}, {"staff", "group"},
                                      {"all-hands", "group"}, {"partner", "contact"}, {"sales-folder", "pf"}}) {
        QTreeWidgetItem* row = rowOf(d.ListView1, alias);
        ASSERT_NE(row, nullptr) << alias;
        EXPECT_EQ(users::smallIcon(row), icon) << alias;
    }
    d.ListView1->setCurrentItem(rowOf(d.ListView1, "o'reilly-folder"));
    d.Command1_Click();
    EXPECT_EQ(f.ui.Label4->caption(), "O'Reilly Folder");
    EXPECT_EQ(f.panel.forwarding().value, "O'Reilly Folder <o'reilly-folder@tavimor.lab>");
}
