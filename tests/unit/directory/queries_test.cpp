#include "directory/Queries.h"

#include <gtest/gtest.h>

using namespace directory::queries;

namespace {
const QString kRoot = "LDAP://dc1.tavimor.lab";
}

TEST(Queries, PathLookUpAlwaysSearchesOverLdapButLeavesTheAddressAlone) {
    EXPECT_EQ(pathsByMail("GC://dc1", {"o'brien@x", "b@x"}),
              "SELECT adspath, mail, distinguishedName FROM 'LDAP://dc1' WHERE mail='o''brien@x' OR mail='b@x'");
    EXPECT_EQ(personPathByMail("GC://dc1", "a@x"),
              "SELECT adspath FROM 'GC://dc1' WHERE objectcategory='person' AND mail='a@x'");
    EXPECT_EQ(pathsByMail("LDAP://dc1", {"GC://odd@x"}),
              "SELECT adspath, mail, distinguishedName FROM 'LDAP://dc1' WHERE mail='GC://odd@x'");
}

TEST(Queries, EveryValueIsEscaped) {
    const QString evil = "x' OR sAMAccountName='*";
    for (const QString& text : {homeServerOfUser(kRoot, evil), identityOfUser(kRoot, evil),
                                objectTypeByMail(kRoot, evil), usersWithMailboxes(kRoot, evil),
                                personPathByMail(kRoot, evil), nameByDN(kRoot, evil),
                                journalMailbox(kRoot, evil, true), journalMailboxCandidates(kRoot, evil)}) {
        EXPECT_TRUE(text.contains("x'' OR sAMAccountName=''\\2A")) << text.toStdString();
    }
}
