// The user list of a lab store against what ldapsearch finds there, and the
// attribute writer against the lab directory: writes, clears, addresses with
// apostrophes, objects that are not persons, and a denied write. How markers
// read as switches is tested without the lab (users_markers.cpp).
#include "directory/tree/Node.h"
#include "state/Prompt.h"
#include "tree_lab_form.h"
#include "users/AttributeWriter.h"
#include "users/UserListModel.h"
#include "users/UserListView.h"
#include "users/UserList.h"

#include <gtest/gtest.h>

using namespace testing_support;
using namespace users;

namespace {

QString mailboxStoreDn() { return storeDn("First Storage Group", "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")"); }
QString journaledStoreDn() { return storeDn("First Storage Group", "Journaled Store"); }

// Mail addresses of the users a store's list must show.
QSet<QString> homedOn(const QString& store, const QString& journalDn = QString()) {
    return expectedKeys("(&(homeMDB=" + filterValue(store) + ")(objectCategory=person)(msExchMailboxGuid=*)(mail=*))",
                        journalDn);
}

TEST(UserListLab, SwitchesFollowTheMarkersAndSpecialUsersAreFiltered) {
    REQUIRE_LAB();
    LabForm f;
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), true), 1);
    ASSERT_EQ(f.log.text(), "");
    QTreeView* list = f.ui.ListView1;
    EXPECT_EQ(listedKeys(list), homedOn(mailboxStoreDn()));
    EXPECT_EQ(f.progress.begins, 1);
    EXPECT_EQ(f.progress.ends, 1);
    EXPECT_EQ(f.progress.steps, f.progress.rows);
    EXPECT_GT(f.progress.rows, list->model()->rowCount());  // system mailboxes and users without mail were read

    const QModelIndex freeText = userRowOf(list, mailOf("marker.freetext"));
    ASSERT_TRUE(freeText.isValid());
    EXPECT_EQ(freeText.siblingAtColumn(1).data(ImageKeyRole).toString(), "checked");
    EXPECT_EQ(freeText.siblingAtColumn(2).data(ImageKeyRole).toString(), "unchecked");
    EXPECT_EQ(f.panel.user(mailOf("marker.freetext"))->stored, "free text###NoArcOut");
    const QModelIndex dora = userRowOf(list, mailOf("dora.disabled"));
    ASSERT_TRUE(dora.isValid());
    EXPECT_EQ(dora.data(ImageKeyRole).toString(), "userdisabled");
    EXPECT_EQ(dora.data().toString(), "Disabled Dora");
    EXPECT_TRUE(userRowOf(list, mailOf("SystemMailbox")).isValid());  // an alias without the brace is an ordinary user
    EXPECT_TRUE(userRowOf(list, mailOf("o'brien")).isValid());
}

TEST(UserListLab, JournalMailboxIsLeftOutAndANodeRefreshStopsAtTheFirstExclusion) {
    REQUIRE_LAB();
    LabForm f;
    const QString journal = userDn("journal.archive");
    ASSERT_FALSE(journal.isEmpty());
    const QString tag = journal + QChar(0) + "fwd@x";
    f.addStore("Journaled Store", journaledStoreDn(), tag);

    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), tag, true), 1);
    EXPECT_EQ(listedKeys(f.ui.ListView1), homedOn(journaledStoreDn(), journal));
    const int fullRead = f.progress.steps;

    f.progress = {};
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), tag, false), 1);
    EXPECT_EQ(f.ui.ListView1->model()->rowCount(), 0);
    EXPECT_LT(f.progress.steps, fullRead);
    EXPECT_EQ(f.progress.ends, 1);

    // without a journal mailbox nobody is left out for that reason
    GetUsersWithMailboxes(f.userListFill(), journaledStoreDn(), QString(), true);
    EXPECT_TRUE(userRowOf(f.ui.ListView1, mailOf("journal.archive")).isValid());
}

TEST(UserListLab, StoreWithoutExclusionsAndFirstDisplayPreselection) {
    REQUIRE_LAB();
    LabForm f;
    const QString shared = storeDn("Second Storage Group", "Shared Journal A");
    f.addStore("Shared Journal A", shared, "");
    EXPECT_EQ(GetUsersWithMailboxes(f.userListFill(), shared, QString(), false), 0);

    f.state.strCurrentUserEmailAddress = mailOf("dora.disabled").toUpper();
    f.addStore("Mailbox Store", mailboxStoreDn(), "");
    GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), false);
    EXPECT_EQ(f.state.strLastSelectedItemKey, f.state.strCurrentUserEmailAddress);

    // only on the first display
    f.state.strLastSelectedItemKey.clear();
    f.state.blnNotFirstTime = true;
    GetUsersWithMailboxes(f.userListFill(), mailboxStoreDn(), QString(), true);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "");
}

const QString kAttr = QStringLiteral("extensionAttribute10");

std::optional<QString> stored(const QString& mail) { return attributeAt(dnOfMail(mail), kAttr); }

class WriterLab : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_LAB(); }
    // Every address a test touches gets its value back.
    QString touch(const QString& mail) {
        attributes.keep(dnOfMail(mail), kAttr);
        return mail;
    }

    state::ScriptedPrompt prompt;
    AttributeKeeper attributes;
};

TEST_F(WriterLab, WritesAndClearsThroughLdapAlsoFromAGlobalCatalogBase) {
    const QString mail = touch("marker.none@tavimor.lab");
    ASSERT_EQ(stored(mail), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QStringLiteral("###NoArcIn")), 1);
    EXPECT_EQ(stored(mail), "###NoArcIn");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QVariant()), 1);
    EXPECT_EQ(stored(mail), std::nullopt);
    // a global-catalog base: searched and written over LDAP
    EXPECT_EQ(SetAttribute(prompt, labRoot("GC"), mail, kAttr, QStringLiteral("###NoArcOut")), 1);
    EXPECT_EQ(stored(mail), "###NoArcOut");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), mail, kAttr, QVariant()), 1);
    EXPECT_EQ(stored(mail), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QVariant()), 1);  // already clear: no failure
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WriterLab, AnAddressWithAnApostropheIsFoundByBoth) {
    const QString mail = touch("o'brien@tavimor.lab");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QStringLiteral("it's ###NoArcIn")), 1);
    EXPECT_EQ(stored(mail), "it's ###NoArcIn");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), mail, kAttr, QStringLiteral("###NoArcOut")), 1);
    EXPECT_EQ(stored(mail), "###NoArcOut");
    // the quoting cannot be broken out of to reach other objects
    EXPECT_EQ(SetAttribute(prompt, labRoot(), "x' OR mail='*", kAttr, QStringLiteral("hacked")), -1);
    EXPECT_TRUE(ldapsearchValues("(" + kAttr + "=hacked)", "mail").isEmpty());
}

// Every write that did not happen answers -1; only a denial shows a message.
TEST_F(WriterLab, OnlyPersonsAreFoundByMailAndFailuresAnswerFailureWithoutAMessage) {
    const QString group = touch("staff@tavimor.lab");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), group, kAttr, QStringLiteral("grp")), -1);
    EXPECT_EQ(stored(group), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), group, kAttr, QStringLiteral("grp")), 1);
    EXPECT_EQ(stored(group), "grp");
    // no such object, and an attribute the schema does not know: -1 with the
    // failure for the caller, no message
    platform::ResumeNext failure;
    EXPECT_EQ(SetAttribute(prompt, labRoot(), "nobody@tavimor.lab", kAttr, QStringLiteral("x"), &failure), -1);
    EXPECT_EQ(failure.number(), platform::hr::NoSuchObject);
    const QString user = touch("marker.none@tavimor.lab");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), user, "noSuchAttributeAnywhere", QStringLiteral("x"), &failure), -1);
    EXPECT_NE(failure.number(), platform::hr::NoSuchObject);
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WriterLab, ADeniedWriteIsShownOncePerCallAndAnswersMinusOne) {
    const QString mail = touch("marker.in@tavimor.lab");
    int16_t first = 0, second = 0;
    {
        EnvScope limited;
        limited.set("LDAPBINDDN", labEnv("LAB_LIMITED_BINDDN").toUtf8());
        limited.set("TAVIMOR_BIND_PASSWORD_FILE", labEnv("LAB_LIMITED_PASSWORD_FILE").toUtf8());
        platform::directory::resetConnectionCache();
        first = SetAttribute(prompt, labRoot(), mail, kAttr, QVariant());
        second = SetAttributeByMail(prompt, labRoot(), mail, kAttr, QStringLiteral("x"));
    }
    platform::directory::resetConnectionCache();

    EXPECT_EQ(first, -1);
    EXPECT_EQ(second, -1);
    ASSERT_EQ(prompt.asked.size(), 2u);
    for (const auto& a : prompt.asked) EXPECT_EQ(a.text, "Insufficient access rights.\r\nSorry, you can not change this parameter.");
    EXPECT_EQ(stored(mail), "###NoArcIn");
}

}  // namespace
