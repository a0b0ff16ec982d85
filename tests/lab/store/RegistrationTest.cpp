#include "lab/store/RegistrationFixture.h"
#include "platform/store/TestHooks.h"
#include "store/Items.h"
#include "store/JunkMail.h"
#include "store/Registration.h"

using namespace testsupport;
using namespace platform::store;
using testing_support::errorOf;

namespace {
const QChar NUL(0);
const QString kMapi = QStringLiteral("http://schemas.microsoft.com/mapi/proptag/");

// Registration items, the junk e-mail rule and public folders in one temporary
// store: two mailboxes (one with a localised inbox and its rules) and folders.
class RegistrationTest : public RegistrationFixture {
protected:
    void SetUp() override {
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox("jarchive", "Posteingang");
        b.ensureJunkRule("jarchive");
        b.ensureMailbox("plain");
        b.ensurePublicFolder({"Internet Newsgroups"}, QString());
        b.ensurePublicFolder({"Archive", "Journals", "Old", "2003"}, QString());
        b.ensurePublicFolder({"Archive", "Journals", "Journal Folder"}, "JOURNAL-FOLDER@TAVIMOR.LAB");
        b.ensurePublicFolder({"Archive", "Legal", "O'Reilly Folder"}, "o'reilly-folder@tavimor.lab");
        b.ensurePublicFolder({"Sales Folder"}, "sales-folder@tavimor.lab");
        b.commit();
        mailboxUser("journal", "jarchive", "journal.archive@tavimor.lab");
        mailboxUser("plain", "plain", "plain@tavimor.lab");
        mailboxUser("lost", "lost", "lost-folder@tavimor.lab", true);
    }
    static QString pfRoot() { return TempStore::web("public folders"); }
    QString regUrl(const QString& alias = "jarchive", const QString& inbox = "Posteingang") {
        return TempStore::file("mbx/" + alias + "/" + inbox + "/Tavimor.reg");
    }
    // Creates, finds and removes the item of a journal mailbox; answers whether it
    // was at `url` (and gone again after the removal).
    void createFindRemove(const QString& key, const QString& url) {
        store::CreateRegItem(ctx(), dnOf(key), "", false);
        EXPECT_TRUE(exists(url)) << url.toStdString();
        EXPECT_TRUE(store::CheckRegItem(ctx(), dnOf(key)));
        store::RemoveRegItem(ctx(), dnOf(key));
        EXPECT_FALSE(exists(url));
        EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf(key)));
        EXPECT_EQ(log.text(), QString());  // failed attempts on the way are not logged
    }
};

class JunkAndPublicFolderTest : public RegistrationTest {};

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

TEST_F(RegistrationTest, CreateWritesExactlyTheRegistrationProperties) {
    const struct { QString fwd; bool both; QStringList expected; } cases[] = {
        {"", false, registration()},
        {"Jürgen Weiß <juergen.weiss@tavimor.lab>", false, registration("Jürgen Weiß <juergen.weiss@tavimor.lab>")},
        {" bare@example.com ", true, registration(" bare@example.com ", true)},  // untrimmed
    };
    for (const auto& c : cases) {
        store::CreateRegItem(ctx(), dnOf("journal"), c.fwd, c.both);
        EXPECT_EQ(storedFields(regUrl()), c.expected) << c.fwd.toStdString() << c.both;
    }
    EXPECT_EQ(log.text(), QString());
    // The registration lives in the localised inbox only.
    EXPECT_FALSE(exists(TempStore::file("mbx/jarchive/Tavimor.reg")));
}

TEST_F(RegistrationTest, CheckFindsItAndRefreshesTheSelectedTag) {
    const QString dn = dnOf("journal");
    tag = dn + NUL + "Old <old@x>" + NUL + "Both";
    EXPECT_FALSE(store::CheckRegItem(ctx(), dn, true));
    EXPECT_EQ(tag, dn + NUL + "Old <old@x>" + NUL + "Both");  // nothing found: untouched

    store::CreateRegItem(ctx(), dn, "New <new@x>", false);
    EXPECT_TRUE(store::RegItemExists(ctx(), dn));
    EXPECT_TRUE(store::CheckRegItem(ctx(), dn, false));
    EXPECT_EQ(tag, dn + NUL + "Old <old@x>" + NUL + "Both");  // no refresh asked
    EXPECT_TRUE(store::CheckRegItem(ctx(), dn, true));
    EXPECT_EQ(tag, dn + NUL + "New <new@x>");

    store::CreateRegItem(ctx(), dn, "", true);  // creating again replaces the item
    EXPECT_TRUE(store::CheckRegItem(ctx(), dn, true));
    EXPECT_EQ(tag, dn + NUL + "Both");
    EXPECT_EQ(storedFields(regUrl()), registration("", true));

    // The program-wide connection is closed again after every check.
    EXPECT_EQ(g.conExOLEDB->state(), adState::Closed);
}

TEST_F(RegistrationTest, RemoveDeletesItAndLeavesTheJunkRule) {
    createFindRemove("journal", regUrl());
    store::RemoveRegItem(ctx(), dnOf("journal"));  // nothing left to remove: quietly nothing
    EXPECT_TRUE(exists(TempStore::file("mbx/jarchive/Posteingang/Junk E-mail Rule")));
}

TEST_F(RegistrationTest, AnItemNotHiddenOrAFolderOfThatNameDoesNotCount) {
    StoreBuilder b(TempStore::domain());
    b.ensureItem({"mbx", "plain", "Inbox", "Tavimor.reg"}, {});  // visible
    b.commit();
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("plain")));
}

TEST_F(RegistrationTest, UnknownOrUnreachableJournalMailboxes) {
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("nobody")));
    store::CreateRegItem(ctx(), dnOf("nobody"), "x", true);
    store::RemoveRegItem(ctx(), dnOf("nobody"));
    mailboxUser("nomail", "nomail", "");  // no mail: check and create do nothing
    store::CreateRegItem(ctx(), dnOf("nomail"), "", false);
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("nomail")));
    failLookup = true;  // the directory fails: the apply's check must not read that as "none"
    EXPECT_EQ(errorOf([&] { store::RegItemExists(ctx(), dnOf("journal")); }), platform::hr::ServerDown);
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("journal")));
    store::CreateRegItem(ctx(), dnOf("journal"), "", false);
    store::RemoveRegItem(ctx(), dnOf("journal"));
    EXPECT_EQ(log.text(), QString());
    failLookup = false;
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("journal")));
}

TEST_F(RegistrationTest, ResolvesByAliasThenByLocalPart) {
    // The alias names no mailbox; the local part does.
    mailboxUser("byLocal", "no-such-alias", "plain@tavimor.lab");
    createFindRemove("byLocal", regUrl("plain", "Inbox"));
}

TEST_F(RegistrationTest, AnAliasHoldingPercentEscapesNamesItsOwnMailbox) {
    // "ab%41" read as a URL escape would be "abA", another user's mailbox.
    StoreBuilder b(TempStore::domain());
    b.ensureMailbox("abA");
    b.ensureMailbox("ab%41");
    b.commit();
    mailboxUser("percent", "ab%41", "ab%41@tavimor.lab");
    store::CreateRegItem(ctx(), dnOf("percent"), "", false);
    EXPECT_FALSE(exists(regUrl("abA", "Inbox")));
    createFindRemove("percent", regUrl("ab%2541", "Inbox"));
}

TEST_F(RegistrationTest, ReachedButEmptyFolderEndsTheSearch) {
    // The alias's mailbox exists without the item; the local part's mailbox has one.
    mailboxUser("split", "jarchive", "plain@tavimor.lab");
    store::CreateRegItem(ctx(), dnOf("plain"), "", false);
    ASSERT_TRUE(store::CheckRegItem(ctx(), dnOf("plain")));
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("split")));

    // The web form reaches a different store than the file form: the web form's
    // empty answer stands, the file form is not asked.
    createStore("web.lab");
    {
        StoreBuilder b("web.lab");
        b.ensureMailbox("plain");
        b.commit();
    }
    g.strHttpMailboxRoot = "http://exch01/exadmin/web.lab/mbx";
    EXPECT_FALSE(store::CheckRegItem(ctx(), dnOf("plain")));
    // Unreachable web form: the file form answers.
    g.strHttpMailboxRoot = "http://exch01/exadmin/absent.lab/mbx";
    EXPECT_TRUE(store::CheckRegItem(ctx(), dnOf("plain")));
}

TEST_F(RegistrationTest, OnlyTheFinalCreateFailureIsLogged) {
    state::setClockForTesting([] { return QDateTime(QDate(2024, 5, 1), QTime(9, 30, 0)); });
    mailboxUser("ghost", "ghost", "ghost@tavimor.lab");  // no mailbox in the store
    store::CreateRegItem(ctx(), dnOf("ghost"), "", false);
    const QString entry = log.text();
    EXPECT_EQ(entry.count(" - ERROR: "), 1);
    EXPECT_TRUE(entry.startsWith("[" + state::timestamp() + "] " + g.strHttpMailboxRoot + " - ERROR: " +
                                 QString::number(err::ItemNotFound) + " "))
        << entry.toStdString();

    log.setText({});
    mailboxUser("ghost2", "", "ghost2@tavimor.lab");  // only the local part: still one entry
    store::CreateRegItem(ctx(), dnOf("ghost2"), "", false);
    EXPECT_EQ(log.text().count(" - ERROR: "), 1);
    state::setClockForTesting(nullptr);
}


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
    store::CreateRegItem(ctx(), dnOf("plain"), "", false);
    StoreConnection con;
    con.open(TempStore::file());
    StoreRecordset rs;
    rs.open("select \"DAV:displayname\" from scope('shallow traversal of \"" + TempStore::file("mbx/plain/Inbox") +
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

// An address with an apostrophe is found through the directory by DirectoryEndToEnd.
TEST_F(JunkAndPublicFolderTest, NestedFolderFoundByAddressInAnyCase) {
    const QString journalFolder = pfRoot() + "/Archive/Journals/Journal Folder";
    const std::pair<QString, QString> found[] = {
        {"journal-folder@tavimor.lab", journalFolder}, {"Journal-Folder@Tavimor.Lab", journalFolder},
        {"sales-folder@tavimor.lab", pfRoot() + "/Sales Folder"},
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
    store::CreateRegItem(ctx(), dnOf("lost"), "", false);  // logged as OnlyTheFinalCreateFailureIsLogged shows
    // Nothing was written at the public-folder root.
    EXPECT_FALSE(exists(TempStore::file("public folders/Tavimor.reg")));
}
