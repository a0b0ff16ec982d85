#include "lab/store/RegistrationFixture.h"
#include "store/Items.h"
#include "store/JunkMail.h"
#include "store/Registration.h"
#include "platform/store/TestHooks.h"

using namespace testsupport;
using namespace platform::store;

namespace {
const QString kMapi = QStringLiteral("http://schemas.microsoft.com/mapi/proptag/");

class JunkAndPublicFolderTest : public RegistrationFixture {
protected:
    void SetUp() override {
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox("jarchive", "Posteingang");
        b.ensureJunkRule("jarchive");
        b.ensureMailbox("norule");
        b.ensurePublicFolder({"Internet Newsgroups"}, QString());
        b.ensurePublicFolder({"Archive", "Journals", "Old", "2003"}, QString());
        b.ensurePublicFolder({"Archive", "Journals", "Journal Folder"}, "JOURNAL-FOLDER@TAVIMOR.LAB");
        b.ensurePublicFolder({"Archive", "Legal", "O'Reilly Folder"}, "o'reilly-folder@tavimor.lab");
        b.ensurePublicFolder({"Sales Folder"}, "sales-folder@tavimor.lab");
        b.commit();
        mailboxUser("journal", "jarchive", "journal.archive@tavimor.lab");
        mailboxUser("norule", "norule", "norule@tavimor.lab");
        publicFolderObject("lost", "lost-folder@tavimor.lab");
    }
    QString pfRoot() const { return TempStore::web("public folders"); }
};

QStringList ruleValues(const QString& url) {
    StoreRecord rule;
    rule.open(url);
    QStringList out;
    for (const char* tag : {"0x61010003", "0x61020003", "0x65E90003"}) {
        const QString name = kMapi + tag;
        out << rule.field(name).toString() + (rule.fieldType(name) == adType::Integer ? ":int" : ":other");
    }
    return out;
}
}  // namespace

TEST_F(JunkAndPublicFolderTest, MailboxRegistrationSwitchesOffTheJunkRule) {
    const QString rule = TempStore::file("mbx/jarchive/Posteingang/Junk E-mail Rule");
    const QString other = TempStore::file("mbx/jarchive/Posteingang/Organizer Rule");
    ASSERT_EQ(ruleValues(rule), (QStringList{"6:int", "1:int", "49:int"}));
    const QStringList otherBefore = storedFields(other);

    store::CreateRegItem(ctx(), dnOf("journal"), "", false);
    EXPECT_EQ(ruleValues(rule), (QStringList{"-1:int", "0:int", "48:int"}));
    EXPECT_EQ(storedFields(other), otherBefore);  // only the junk e-mail rule changes
    store::JunkMailSettings(TempStore::web("mbx/jarchive/Posteingang"));  // again: same values
    EXPECT_EQ(ruleValues(rule), (QStringList{"-1:int", "0:int", "48:int"}));

    // A mailbox without a rule: the registration only, nothing else appears.
    store::CreateRegItem(ctx(), dnOf("norule"), "", false);
    StoreConnection con;
    con.open(TempStore::file());
    StoreRecordset rs;
    rs.open("select \"DAV:displayname\" from scope('shallow traversal of \"" + TempStore::file("mbx/norule/Inbox") +
                "\"') WHERE \"DAV:ishidden\" = true OR \"DAV:ishidden\" = false",
            con);
    QStringList names;
    for (; !rs.eof(); rs.moveNext()) names << rs.field("DAV:displayname").toString();
    EXPECT_EQ(names, QStringList{"Tavimor.reg"});

    // Unreachable inbox: silent.
    store::JunkMailSettings(TempStore::file("mbx/nobody/Inbox"));
    store::JunkMailSettings("not a url");
    EXPECT_EQ(log.text(), QString());
}

TEST_F(JunkAndPublicFolderTest, NestedFolderFoundByAddressInAnyCase) {
    const QString journalFolder = pfRoot() + "/Archive/Journals/Journal Folder";
    const std::pair<QString, QString> found[] = {
        {"journal-folder@tavimor.lab", journalFolder}, {"Journal-Folder@Tavimor.Lab", journalFolder},
        {"sales-folder@tavimor.lab", pfRoot() + "/Sales Folder"},
        // an address with an apostrophe is found, not a broken query
        {"o'reilly-folder@tavimor.lab", pfRoot() + "/Archive/Legal/O'Reilly Folder"},
        {"nobody@tavimor.lab", ""}, {"x' OR \"DAV:hassubs\" = false OR 'a'='a", ""}};
    for (const auto& [address, url] : found)
        EXPECT_EQ(store::GetPublicFolderURL(ctx(), pfRoot(), address, true), url) << address.toStdString();
    EXPECT_EQ(log.text(), QString());
}

TEST_F(JunkAndPublicFolderTest, DeepChainCostsOneQueryPerFolderWithSubfolders) {
    // Chain/L1/.../L16, the deepest one mail-enabled. Every folder's hierarchical
    // search also lists all folders below it; searching each of those again from
    // each ancestor would take 2^15 queries.
    constexpr int kDepth = 16;
    QStringList path{"Chain"};
    for (int i = 1; i <= kDepth; ++i) path << QStringLiteral("L%1").arg(i);
    StoreBuilder b(TempStore::domain());
    b.ensurePublicFolder(path, "deep@tavimor.lab");
    b.commit();
    int queries = 0;
    platform::store::testing::setQueryHook([&](const QString&) { ++queries; });
    const QString chain = pfRoot() + "/Chain";
    EXPECT_EQ(store::GetPublicFolderURL(ctx(), chain, "nobody@tavimor.lab", true), QString());
    EXPECT_EQ(queries, kDepth);  // Chain and L1..L15
    queries = 0;
    EXPECT_EQ(store::GetPublicFolderURL(ctx(), chain, "DEEP@tavimor.lab", true), chain + "/" + path.mid(1).join("/"));
    EXPECT_LE(queries, kDepth);
    platform::store::testing::setQueryHook(nullptr);
    EXPECT_EQ(log.text(), QString());
}

TEST_F(JunkAndPublicFolderTest, UnreachableRootLogsOnlyWithTheFlag) {
    const QString root = TempStore::web("public folders/Absent");
    EXPECT_EQ(store::GetPublicFolderURL(ctx(), root, "journal-folder@tavimor.lab", false), QString());
    EXPECT_EQ(log.text(), QString());
    EXPECT_EQ(store::GetPublicFolderURL(ctx(), root, "journal-folder@tavimor.lab", true), QString());
    EXPECT_EQ(log.text().count(" - ERROR: "), 1);
    EXPECT_TRUE(log.text().contains("] " + root + " - ERROR: " + QString::number(err::ItemNotFound) + " "));
}

TEST_F(JunkAndPublicFolderTest, PublicFolderNotFound) {
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("lost")));
    store::RemoveRegItem(ctx(), dnOf("lost"));
    EXPECT_EQ(log.text(), QString());
    store::CreateRegItem(ctx(), dnOf("lost"), "", false);
    EXPECT_EQ(log.text().count(" - ERROR: "), 1);
    EXPECT_TRUE(log.text().contains("] " + g.strHttpMailboxRoot + " - ERROR: "));
    // Nothing was written at the public-folder root.
    EXPECT_FALSE(exists(TempStore::file("public folders/Tavimor.reg")));
}
