#include "directory/Queries.h"

#include <gtest/gtest.h>

using namespace directory::queries;

namespace {
const QString kRoot = "LDAP://dc1.tavimor.lab";
}

TEST(Queries, TextsAreTheProgramsOwn) {
    EXPECT_EQ(homeServerOfUser(kRoot, "Administrator"),
              "SELECT msExchHomeServerName FROM 'LDAP://dc1.tavimor.lab' WHERE objectcategory='person' AND "
              "sAMAccountName='Administrator'");
    EXPECT_EQ(identityOfUser(kRoot, "jo"),
              "SELECT sAMAccountName, cn, objectCategory FROM 'LDAP://dc1.tavimor.lab' WHERE "
              "objectcategory='person' AND sAMAccountName='jo'");
    EXPECT_EQ(objectTypeByMail(kRoot, "a@b"),
              "SELECT sAMAccountType,mAPIRecipient FROM 'LDAP://dc1.tavimor.lab' WHERE mail='a@b'");
    EXPECT_EQ(usersWithMailboxes(kRoot, "CN=S,DC=x"),
              "SELECT name, extensionAttribute10, adspath, cn, mailNickName,mail,distinguishedName,"
              "userAccountControl FROM 'LDAP://dc1.tavimor.lab' WHERE homeMDB='CN=S,DC=x' AND "
              "objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn");
    EXPECT_EQ(nameByDN(kRoot, "CN=S,DC=x"),
              "SELECT displayName, mail FROM 'LDAP://dc1.tavimor.lab' WHERE distinguishedName='CN=S,DC=x'");
    EXPECT_EQ(journalMailbox(kRoot, "CN=J,DC=x", true),
              "SELECT mail, mailNickname, sAMAccountType, mAPIRecipient FROM 'LDAP://dc1.tavimor.lab' WHERE "
              "distinguishedName='CN=J,DC=x' AND mail='*'");
    EXPECT_EQ(journalMailbox(kRoot, "CN=J,DC=x", false),
              "SELECT mail, mailNickname, sAMAccountType, mAPIRecipient FROM 'LDAP://dc1.tavimor.lab' WHERE "
              "distinguishedName='CN=J,DC=x'");
    EXPECT_EQ(journalMailboxCandidates(kRoot, "CN=MTA,DC=x"),
              "SELECT altRecipient, name, adspath, cn, mail,  mailNickName, distinguishedName, sAMAccountType,"
              "mAPIRecipient,userAccountControl FROM 'LDAP://dc1.tavimor.lab' WHERE mail='*' AND "
              "objectcategory='person' AND objectclass='user'  AND homeMTA='CN=MTA,DC=x'  ORDER BY cn");
    EXPECT_TRUE(forwardingCandidates(kRoot).endsWith(
        "(objectcategory='person' AND (objectclass='user' OR objectclass='contact')))   ORDER BY cn"));
}

TEST(Queries, PathLookUpAlwaysSearchesOverLdapButLeavesTheAddressAlone) {
    EXPECT_EQ(pathByMail("GC://dc1", "o'brien@x"), "SELECT adspath FROM 'LDAP://dc1' WHERE mail='o''brien@x'");
    EXPECT_EQ(personPathByMail("GC://dc1", "a@x"),
              "SELECT adspath FROM 'GC://dc1' WHERE objectcategory='person' AND mail='a@x'");
    EXPECT_EQ(pathByMail("LDAP://dc1", "GC://odd@x"), "SELECT adspath FROM 'LDAP://dc1' WHERE mail='GC://odd@x'");
}

TEST(Queries, EveryValueIsEscaped) {
    const QString evil = "x' OR sAMAccountName='*";
    for (const QString& text : {homeServerOfUser(kRoot, evil), identityOfUser(kRoot, evil),
                                objectTypeByMail(kRoot, evil), usersWithMailboxes(kRoot, evil),
                                personPathByMail(kRoot, evil), nameByDN(kRoot, evil),
                                journalMailbox(kRoot, evil, true), journalMailboxCandidates(kRoot, evil)}) {
        EXPECT_TRUE(text.contains("x'' OR sAMAccountName=''\\2a")) << text.toStdString();
    }
}
