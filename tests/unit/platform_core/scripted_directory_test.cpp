// The directory layer against a scripted directory server: what an Active
// Directory answers that the lab's Samba does not.

#include "platform/directory/GroupMembers.h"
#include "platform/directory/Session.h"
#include "support/ScriptedLdap.h"

#include <gtest/gtest.h>

using namespace platform::directory;
using testing_support::ScriptedLdap;

namespace {

const QString kBase = "DC=example,DC=test";

// A domain with `count` users, all members of CN=Big, and CN=Small with two.
QJsonObject domainWithGroup(int count) {
    const QJsonObject user{{"objectClass", QJsonArray{"top", "person", "user"}}, {"mail", "u{i}@example.test"}};
    return QJsonObject{
        {"rootDSE", QJsonObject{{"dnsHostName", "dc1.example.test"},
                                {"defaultNamingContext", kBase},
                                {"configurationNamingContext", "CN=Configuration," + kBase},
                                {"namingContexts", QJsonArray{kBase}}}},
        {"generate", QJsonArray{QJsonObject{{"dn", "CN=u{i},CN=Users," + kBase}, {"count", count}, {"attributes", user}}}},
        {"entries", QJsonArray{QJsonObject{{"dn", "CN=Big,CN=Users," + kBase},
                                           {"attributes", QJsonObject{{"objectClass", QJsonArray{"top", "group"}},
                                                                      {"member", "@generated:0"}}}},
                               QJsonObject{{"dn", "CN=Small,CN=Users," + kBase},
                                           {"attributes", QJsonObject{{"objectClass", QJsonArray{"top", "group"}},
                                                                      {"member", QJsonArray{"CN=a", "CN=b"}}}}}}}};
}

}  // namespace

TEST(ScriptedDirectory, TheLayerSignsInOverStartTlsAndReadsTheRootDse) {
    ScriptedLdap dc(domainWithGroup(3));
    ASSERT_TRUE(dc.running()) << dc.error().toStdString();
    dc.becomeDomainController();
    EXPECT_EQ(Session::get(false, QString())->rootDse().defaultNamingContext, kBase);
    EXPECT_EQ(groupMemberDns("", "CN=Small,CN=Users," + kBase), (QStringList{"CN=a", "CN=b"}));
    const QList<QJsonObject> asked = dc.requests();
    EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const QJsonObject& r) {
        return r.value("op") == "bind" && r.value("tls").toBool() && r.value("dn") == "CN=Tester";
    }));
}
