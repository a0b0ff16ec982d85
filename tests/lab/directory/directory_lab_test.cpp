// The directory layer against the lab domain controller: look-ups,
// classification, escaping, the global catalog and referrals. The user-list and
// picker queries are compared with ldapsearch by the list and picker lab tests,
// writes and the access-denied path by the attribute writer's.

#include "directory/ObjectType.h"
#include "directory/Queries.h"
#include "platform/directory/Directory.h"
#include "support/Lab.h"

#include <gtest/gtest.h>

using namespace platform::directory;
using namespace testing_support;
namespace q = directory::queries;

namespace {

RecordSet run(const QString& text, PropertySet set = PropertySet::None) {
    DirectoryConnection c;
    c.open();
    return c.execute(text, set);
}


class DirectoryLab : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_LAB(); }
};

}  // namespace

// The paths found for writing, also of addresses with an apostrophe and from a
// global-catalog base, are checked by the attribute writer's lab test; the
// logged-on user's names by the start-up lab test. The home server's query is
// run by the start-up lab test of a cluster node, the name-by-DN one by the
// store tree's, the journal mailbox with mail by the registration's lab test.
TEST_F(DirectoryLab, LookUpsOfTheLoggedOnUserAndOfAJournalMailboxWithoutMail) {
    RecordSet ident = run(q::identityOfUser(labRoot(), "Administrator"), PropertySet::A);
    ASSERT_FALSE(ident.eof());
    EXPECT_EQ(ident.text("sAMAccountName"), "Administrator");
    EXPECT_TRUE(ident.text("objectCategory").startsWith("CN=Person,CN=Schema,CN=Configuration,", Qt::CaseInsensitive));
    EXPECT_TRUE(run(q::identityOfUser(labRoot(), "no-such-user"), PropertySet::A).eof());

    // A DN with no mail is found only without the mail condition.
    const QString noMail = ldapsearchValues("(&(objectClass=user)(objectCategory=person)(!(mail=*)))", "distinguishedName").value(0);
    ASSERT_FALSE(noMail.isEmpty());
    EXPECT_TRUE(run(q::journalMailbox(labRoot(), noMail, true)).eof());
    EXPECT_FALSE(run(q::journalMailbox(labRoot(), noMail, false)).eof());
}

TEST_F(DirectoryLab, ObjectTypeAnswersEachKindAndDefaultsToUser) {
    const QString root = labRoot();
    EXPECT_EQ(directory::GetObjectType(root, "administrator@tavimor.lab"), "user");
    const std::pair<const char*, const char*> kinds[] = {
        {"(&(objectClass=group)(sAMAccountType=268435456)(mail=*))", "group"},  // security group
        {"(&(objectClass=group)(sAMAccountType=268435457)(mail=*))", "group"},  // distribution group
        {"(&(objectClass=contact)(mail=*)(mAPIRecipient=TRUE))", "contact"},
        {"(&(objectClass=publicFolder)(mail=*))", "pf"},
        {"(&(objectClass=publicFolder)(mail=*'*))", "pf"}};  // an apostrophe in the address
    QString mail;
    for (const auto& [filter, kind] : kinds) {
        mail = ldapsearchValues(filter, "mail").value(0);
        ASSERT_FALSE(mail.isEmpty()) << filter;
        EXPECT_EQ(directory::GetObjectType(root, mail), kind) << filter;
    }
    EXPECT_EQ(directory::GetObjectType(root, "nobody@nowhere.invalid"), "user");
    EXPECT_EQ(directory::GetObjectType("", mail), "user");  // a public folder, but without a base the query fails
    // A value that tries to widen the search matches nothing.
    EXPECT_TRUE(run(q::objectTypeByMail(labRoot(), "x' OR mail='*")).eof());
}

TEST_F(DirectoryLab, GlobalCatalogSearchesTheForestAndReferralsReachConfiguration) {
    RecordSet gc = run("SELECT mail FROM '" + labRoot("GC") + "' WHERE mail='administrator@tavimor.lab'");
    ASSERT_FALSE(gc.eof());
    EXPECT_EQ(gc.text("mail").toLower(), "administrator@tavimor.lab");
    // From the domain root the configuration partition is a continuation
    // reference whose server name need not resolve; it is followed all the same.
    RecordSet servers = run("SELECT cn, adspath FROM '" + labRoot() + "' WHERE objectClass='msExchExchangeServer'",
                            PropertySet::A);
    EXPECT_GE(servers.recordCount(), 1);
    RecordSet unchased = run("SELECT cn FROM '" + labRoot() + "/" + labBase() +
                             "' WHERE objectClass='msExchExchangeServer'");
    EXPECT_GE(unchased.recordCount(), 1);
}
