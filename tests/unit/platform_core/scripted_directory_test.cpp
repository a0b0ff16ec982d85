// The directory layer against a scripted directory server: what an Active
// Directory answers that the lab's Samba does not.

#include "platform/directory/GroupMembers.h"
#include "support/ScriptedLdap.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

using namespace platform::directory;

static const QString kBase = "DC=example,DC=test";

// CN=Big has 3,100 members, more than two slices of 1,500; CN=Broken as many,
// but the server answers each of its slices from the first value again
// (large_group.json).
TEST(ScriptedDirectory, EveryMemberOfAGroupPastTheServersRangeLimitIsReadOrTheReadFails) {
    testing_support::ScriptedLdap dc(TAVIMOR_SOURCE_DIR "/tests/unit/platform_core/large_group.json");
    ASSERT_TRUE(dc.running());
    dc.becomeDomainController();
    const QString root = dc.uri().replace("ldap:", "LDAP:") + "/";
    QStringList all;
    for (int i = 0; i < 3100; ++i) all << QString("CN=u%1,CN=Users,%2").arg(i).arg(kBase);

    EXPECT_TRUE(groupMemberDns("", "CN=Big," + kBase) == all);
    EXPECT_TRUE(DirectoryObject::bind(root + "CN=Big," + kBase).get("member").toStringList() == all);
    DirectoryConnection con;
    con.open();
    RecordSet rs = con.execute("SELECT member FROM '" + root + kBase + "' WHERE distinguishedName='CN=Big," + kBase + "'");
    EXPECT_TRUE(rs.field("member").toStringList() == all);

    EXPECT_TRUE(testing_support::thrown([&] { groupMemberDns("", "CN=Broken," + kBase); })
                    .description.contains("values 1500 onwards of member were asked, the server answered from 0"));
}
