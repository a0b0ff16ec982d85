// "Select Journal Mailbox" against the lab's users.
#include "app/ProgressStrip.h"
#include "pickers/Pickers.h"
#include "pickers/SelectMailbox.h"
#include "pickers_lab.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace pickers;

namespace {

const char kCandidates[] = "(&(mail=*)(objectCategory=person)(objectClass=user)(sAMAccountType=805306368)(homeMTA=%1))";

QTreeWidgetItem* rowOf(const QTreeWidget* list, const QString& alias) { return users::findItem(list, mailOf(alias)); }

// Runs ldapmodify with the lab's bind arguments on an LDIF text.
bool ldapmodify(const QByteArray& ldif) {
    QProcess p;
    p.start("ldapmodify", labEnv("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts));
    p.write(ldif);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Puts a user's forwarding attributes back as they were when it was created.
class ForwardingRestorer {
public:
    explicit ForwardingRestorer(const QString& alias) : dn_(userDn(alias)) {
        const QString filter = "(mailNickname=" + filterValue(alias) + ")";
        deliver_ = ldapsearchValues(filter, "deliverAndRedirect").value(0);
        recipient_ = ldapsearchValues(filter, "altRecipient").value(0);
    }
    ~ForwardingRestorer() {
        QByteArray ldif = "dn:: " + dn_.toUtf8().toBase64() + "\nchangetype: modify\n";
        ldif += "replace: deliverAndRedirect\n";
        if (!deliver_.isEmpty()) ldif += "deliverAndRedirect: " + deliver_.toUtf8() + "\n";
        ldif += "-\nreplace: altRecipient\n";
        if (!recipient_.isEmpty()) ldif += "altRecipient:: " + recipient_.toUtf8().toBase64() + "\n";
        ldif += "-\n";
        EXPECT_TRUE(ldapmodify(ldif)) << "could not restore " << dn_.toStdString();
    }
    const QString& dn() const { return dn_; }
    const QString& deliver() const { return deliver_; }
    const QString& recipient() const { return recipient_; }

private:
    QString dn_, deliver_, recipient_;
};

}  // namespace

TEST(SelectMailboxLab, ListsTheServersUserAccountsWithIconsAndForwardingRecipients) {
    REQUIRE_LAB();
    PickerLabForm f;
    ASSERT_FALSE(f.g.strResponsibleMTAServer.isEmpty());
    PickerMemory memory;
    SelectMailbox d(f.ctx, memory, {});
    d.Form_Activate();
    QTreeWidget* list = d.ListView1;

    EXPECT_EQ(listedKeys(list), expectedKeys(QString(kCandidates).arg(filterValue(f.g.strResponsibleMTAServer))));
    EXPECT_GT(list->topLevelItemCount(), 300);
    EXPECT_FALSE(d.Picture1->isVisible());
    // a journal mailbox may be chosen again; the cluster's users are on another server
    EXPECT_NE(rowOf(list, "journal.archive"), nullptr);
    EXPECT_EQ(rowOf(list, "evsadmin"), nullptr);
    EXPECT_NE(rowOf(list, "SystemMailbox"), nullptr);  // no brace: an ordinary user

    QTreeWidgetItem* dora = rowOf(list, "dora.disabled");
    ASSERT_NE(dora, nullptr);
    EXPECT_EQ(users::smallIcon(dora), "userdisabled");
    EXPECT_EQ(users::itemTag(dora), "userdisabled");
    EXPECT_EQ(dora->text(1), userDn("dora.disabled"));
    EXPECT_EQ(dora->text(3), "");

    EXPECT_EQ(rowOf(list, "fwd.user")->text(3), QString::fromUtf8("Jürgen Weiß <juergen.weiss@tavimor.lab>"));
    EXPECT_EQ(rowOf(list, "fwd.contact")->text(3), "External Partner <partner@example.com>");
    EXPECT_EQ(rowOf(list, "fwd.only")->text(3), QString::fromUtf8("Seán O'Brien <o'brien@tavimor.lab>"));
    EXPECT_EQ(users::smallIcon(rowOf(list, "fwd.only")), "user");

    // opened sorted by name, first row selected
    QStringList sorted = rowNames(list);
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(rowNames(list), sorted);
    EXPECT_EQ(d.selectedItem(), list->topLevelItem(0));

    // Sorted by address and then opened again: the same order and selection.
    const QString firstByName = users::itemKey(list->topLevelItem(0));
    d.ColumnClick(3);
    EXPECT_EQ(memory.lastSelectedKey, firstByName);
    EXPECT_EQ(memory.sortOrder.value(3), 0);
    d.Command2_Click();
    SelectMailbox again(f.ctx, memory, {});
    again.Form_Activate();
    EXPECT_EQ(rowNames(again.ListView1), sorted);
    EXPECT_EQ(again.selectedItem(), again.ListView1->topLevelItem(0));
    EXPECT_EQ(memory.sortOrder.value(1), 0);
    EXPECT_EQ(memory.sortOrder.value(3), 1);
}

TEST(SelectMailboxLab, OkClearsTheChosenUsersForwardingRuleAndTakesTheUser) {
    REQUIRE_LAB();
    ForwardingRestorer restore("fwd.contact");
    ASSERT_EQ(restore.deliver(), "TRUE");
    ASSERT_FALSE(restore.recipient().isEmpty());

    PickerLabForm f;
    PickerMemory memory;
    SelectMailbox d(f.ctx, memory, directoryWriter(f.ctx));
    d.Form_Activate();
    QTreeWidgetItem* row = rowOf(d.ListView1, "fwd.contact");
    ASSERT_NE(row, nullptr);
    d.ListView1->setCurrentItem(row);

    f.prompt.answers = {app::mb::Cancel};
    d.Command1_Click();
    EXPECT_FALSE(d.closed());
    EXPECT_EQ(ldapsearchValues("(mailNickname=fwd.contact)", "deliverAndRedirect").value(0), "TRUE");

    f.prompt.answers = {app::mb::Ok};
    d.Command1_Click();
    EXPECT_TRUE(d.closed());
    ASSERT_EQ(f.prompt.asked.size(), 2u);  // the two questions, no access message
    EXPECT_EQ(ldapsearchValues("(mailNickname=fwd.contact)", "deliverAndRedirect").value(0), "FALSE");
    EXPECT_TRUE(ldapsearchValues("(mailNickname=fwd.contact)", "altRecipient").isEmpty());
    EXPECT_EQ(f.ui.Label3->caption(), "Forward To Contact");
    EXPECT_EQ(f.ui.Text3->text(), restore.dn());
    EXPECT_FALSE(f.ui.TreeView1->isEnabled());
}
