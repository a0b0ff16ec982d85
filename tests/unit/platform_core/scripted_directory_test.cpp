// The directory layer against a scripted directory server: what an Active
// Directory answers that the lab's Samba does not.

#include "platform/directory/GroupMembers.h"
#include "platform/directory/RangedValues.h"
#include "support/ScriptedLdap.h"

#include <gtest/gtest.h>

using namespace platform::directory;
using testing_support::ScriptedLdap;

namespace {

const QString kBase = "DC=example,DC=test";
const QString kBig = "CN=Big,CN=Users," + kBase;

// A domain whose group CN=Big has 3,100 members: more than two slices of 1,500.
QJsonObject domainWithLargeGroup() {
    const QJsonObject user{{"objectClass", QJsonArray{"top", "person", "user"}}, {"mail", "u{i}@example.test"}};
    const QJsonObject group{{"objectClass", QJsonArray{"top", "group"}}, {"member", "@generated:0"}};
    return QJsonObject{
        {"rootDSE", QJsonObject{{"defaultNamingContext", kBase}, {"namingContexts", QJsonArray{kBase}}}},
        {"generate", QJsonArray{QJsonObject{{"dn", "CN=u{i},CN=Users," + kBase}, {"count", 3100}, {"attributes", user}}}},
        {"entries", QJsonArray{QJsonObject{{"dn", kBig}, {"attributes", group}}}}};
}

// "all" when `v` lists CN=u0 to CN=u3099 in order, else how many it lists.
std::string whole(const QVariant& v) {
    QStringList all;
    for (int i = 0; i < 3100; ++i) all << QString("CN=u%1,CN=Users,%2").arg(i).arg(kBase);
    return v.toStringList() == all ? "all" : std::to_string(v.toStringList().size()) + " values";
}

}  // namespace

TEST(ScriptedDirectory, EveryMemberOfAGroupPastTheServersRangeLimitIsRead) {
    ScriptedLdap dc(domainWithLargeGroup());
    ASSERT_TRUE(dc.running()) << dc.error().toStdString();
    dc.becomeDomainController();
    const QString root = dc.uri().replace("ldap:", "LDAP:") + "/";

    EXPECT_EQ(whole(groupMemberDns("", kBig)), "all");
    EXPECT_EQ(whole(DirectoryObject::bind(root + kBig).get("member")), "all");
    DirectoryConnection con;
    con.open();
    RecordSet rs = con.execute("SELECT member FROM '" + root + kBase + "' WHERE objectClass='group'");
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(whole(rs.field("member")), "all");

    // Signed in over StartTLS, as the program always does.
    const QList<QJsonObject> asked = dc.requests();
    EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const QJsonObject& r) {
        return r.value("op") == "bind" && r.value("tls").toBool() && r.value("dn") == "CN=Tester";
    }));
}

TEST(RangedValues, AWrongSliceIsAnErrorAndAMissingOneEndsTheValues) {
    const auto rowWith = [](const QString& name, const QVariant& values) {
        Row r;
        r.set("distinguishedName", "CN=G");
        r.set(name, values);
        return std::vector<Row>{r};
    };
    struct Case {
        const char* answer;  // the name of the slice answered for "member;range=2-*"; "" none
        QStringList expected;
        bool fails;
    } cases[] = {{"member;range=2-*", {"a", "b", "c", "d"}, false},
                 {"", {"a", "b"}, false},
                 {"member;range=0-*", {}, true},
                 {"member;range=2-3", {}, true}};  // never the last slice: the same again
    for (const Case& c : cases) {
        std::vector<Row> rows = rowWith("member;range=0-1", QStringList{"a", "b"});
        int reads = 0;
        const auto read = [&](const QString& dn, const QString& slice) {
            EXPECT_EQ(dn + " " + slice, QString(reads++ ? "CN=G member;range=4-*" : "CN=G member;range=2-*"));
            return *c.answer ? rowWith(c.answer, QStringList{"c", "d"}) : std::vector<Row>{};
        };
        try {
            completeRangedValues(rows, read);
            EXPECT_FALSE(c.fails) << c.answer;
            EXPECT_EQ(rows.front().value("member").toStringList(), c.expected) << c.answer;
            EXPECT_FALSE(rows.front().has("member;range=0-1"));
        } catch (const platform::ComError& e) {
            EXPECT_TRUE(c.fails) << c.answer << ": " << e.what();
        }
    }
}
