// The store layer on a temporary store: the store root and connections with
// their transactions, records, and queries over traversals.

#include "lab/platform_store/TempStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform::store;
using testsupport::TempStore;
using testsupport::exists;
using lab::StoreBuilder;
using testing_support::errorOf;

namespace {

void createItem(StoreConnection& con, const QString& url) {
    StoreRecord rec;
    rec.open(url, &con, adMode::ReadWrite, adCreate::CreateOverwrite);
    rec.setField(QStringLiteral("urn:x:v"), 1);
    rec.update();
}

QString scope(const char* traversal, const QString& url) {
    return QStringLiteral(" from scope ('%1 traversal of \"%2\"') ").arg(QString::fromLatin1(traversal), url);
}

QStringList column(StoreRecordset& rs, const QString& name) {
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) out << rs.field(name).toString();
    return out;
}

// One mailbox with a visible message and rules in its inbox, and public folders.
class StoreItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox(QStringLiteral("jdoe"));
        b.ensureJunkRule(QStringLiteral("jdoe"));
        b.ensureItem({"mbx", "jdoe", "Inbox", "visible.eml"}, {{"urn:x:n", 3}});
        b.ensurePublicFolder({"A", "B", "C"}, QStringLiteral("c@tavimor.lab"));
        b.ensurePublicFolder({"D"}, QString());
        b.commit();
        con.open(TempStore::web("mbx/jdoe"));
    }
    TempStore store;
    StoreConnection con;
};
}  // namespace

// Stored values (untrimmed text, flags, field order) are checked on registration
// items, integers on the junk e-mail rule; here: the other URL form, any case,
// and the fields the store computes.
TEST_F(StoreItemsTest, CreatedFieldsAreReadBackInEitherFormAndAnyCase) {
    {
        StoreRecord rec;
        rec.open(TempStore::file("mbx/jdoe/Inbox/item.eml"), nullptr, adMode::ReadWrite, adCreate::CreateOverwrite,
                 adOpen::DelayFetchFields);
        rec.setField(QStringLiteral("urn:x:text"), QStringLiteral("1"));
        rec.update();
    }
    StoreRecord rec;
    rec.open(TempStore::web("MBX/JDOE/inbox/ITEM.EML"));  // case-blind, other form
    EXPECT_EQ(rec.field(QStringLiteral("urn:x:text")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(rec.field(schema::kHref), QVariant(TempStore::web("mbx/jdoe/Inbox/item.eml")));
    EXPECT_EQ(rec.field(schema::kDisplayName), QVariant(QStringLiteral("item.eml")));
    EXPECT_EQ(rec.field(schema::kIsFolder), QVariant(false));
    EXPECT_EQ(errorOf([&] { rec.field(QStringLiteral("urn:x:absent")); }), err::FieldNotFound);
}

TEST_F(StoreItemsTest, OpenCreateAndDeleteRules) {
    // Absent item, missing parent, an item that exists; the root cannot be deleted.
    const struct { QString url; int mode, create; int32_t error; } refused[] = {
        {TempStore::file("mbx/nobody"), adMode::Read, adCreate::FailIfNotExists, err::ItemNotFound},
        {TempStore::file("mbx/nobody/Inbox/x"), adMode::ReadWrite, adCreate::CreateOverwrite, err::StoreNotFound},
        {TempStore::file("mbx/jdoe/Sent Items"), adMode::ReadWrite, adCreate::CreateNonCollection, err::ItemExists},
    };
    for (const auto& r : refused) {
        StoreRecord rec;
        EXPECT_EQ(errorOf([&] { rec.open(r.url, nullptr, r.mode, r.create); }), r.error) << r.url.toStdString();
    }
    StoreRecord rw;
    rw.open(TempStore::file("mbx/jdoe"), nullptr, adMode::ReadWrite);

    // Deleting a folder takes everything below it; the URL names the record's item.
    rw.deleteRecord(TempStore::web("mbx/JDOE"));
    EXPECT_EQ(rw.state(), adState::Closed);
    StoreRecord gone;
    EXPECT_EQ(errorOf([&] { gone.open(TempStore::file("mbx/jdoe/Inbox")); }), err::ItemNotFound);
    StoreRecord root;
    root.open(TempStore::file(), nullptr, adMode::ReadWrite);
    EXPECT_EQ(errorOf([&] { root.deleteRecord(); }), err::ReadOnly);
}

TEST_F(StoreItemsTest, TraversalsRowOrderAndHiddenItemsOnlyWhenTheConditionAsksForThem) {
    const QString pf = TempStore::web("public folders"), inbox = TempStore::web("mbx/jdoe/Inbox");
    const struct { const char* traversal; QString url, where; QStringList names; } cases[] = {
        {"shallow", inbox, "", {"visible.eml"}},
        {"shallow", inbox, " WHERE \"DAV:ishidden\" = true", {"Organizer Rule", "Junk E-mail Rule"}},
        {"shallow", pf, "", {"A", "D"}},
    };
    for (const auto& c : cases) {
        StoreRecordset rs;
        rs.open("select \"DAV:displayname\"" + scope(c.traversal, c.url) + c.where, con);
        EXPECT_EQ(column(rs, "DAV:displayname"), c.names) << c.traversal << c.where.toStdString();
    }
    // The hierarchical traversal is what the public-folder search runs (JunkAndPublicFolderTest).
}

// Finding a folder by a condition is what the public-folder look-up does against
// a real store; here: what a row offers and where reading ends.
TEST_F(StoreItemsTest, ColumnsReadAsSelectedWithNullForAbsentValues) {
    StoreRecordset nulls;
    nulls.open("select \"DAV:displayname\", \"urn:x:n\"" + scope("deep", TempStore::file("mbx/jdoe")), con);
    ASSERT_EQ(nulls.recordCount(), 4);  // Inbox, its visible message, Sent Items, Deleted Items
    EXPECT_TRUE(nulls.field("urn:x:n").isNull());
    nulls.moveNext();
    EXPECT_EQ(nulls.field("DAV:displayname"), QVariant(QStringLiteral("visible.eml")));
    EXPECT_EQ(nulls.field("urn:x:n"), QVariant(qint32(3)));
    nulls.moveLast();
    EXPECT_EQ(nulls.field("DAV:displayname"), QVariant(QStringLiteral("Deleted Items")));
    EXPECT_EQ(errorOf([&] { nulls.field("DAV:href"); }), err::FieldNotFound);  // not selected
    nulls.moveNext();
    EXPECT_TRUE(nulls.eof());
    EXPECT_EQ(errorOf([&] { nulls.field("DAV:displayname"); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { nulls.moveNext(); }), err::NoCurrentRecord);
}

// A missing scope (ItemNotFound) is logged by the registration tests; a query on a
// connection string is what the store tool's listing runs in the journaling tests.
TEST_F(StoreItemsTest, AScopeOfAnotherStoreIsRefused) {
    StoreRecordset rs;
    EXPECT_EQ(errorOf([&] {
                  rs.open("select \"a\"" + scope("shallow", "file://./backofficestorage/other.lab/mbx"), con);
              }),
              err::BadUrl);
    EXPECT_EQ(rs.state(), 0);
}

TEST(StoreConnectionTest, StoreRootListingAndDomainFolders) {
    TempStore store;
    createStore(QStringLiteral("second.lab"));
    createStore(QStringLiteral("TAVIMOR.LAB"));  // the same folder, not a new one
    EXPECT_EQ(listStoreRoot(), (QStringList{"second.lab", "tavimor.lab"}));
    StoreConnection con;
    con.open(QStringLiteral("http://srv/exadmin/Tavimor.Lab/"));
    EXPECT_EQ(con.state(), adState::Open);
    // A record of another store cannot go through this connection.
    StoreRecord other;
    EXPECT_EQ(errorOf([&] { other.open(QStringLiteral("file://./backofficestorage/second.lab"), &con); }), err::BadUrl);
    con.close();
    StoreConnection missing;
    EXPECT_EQ(errorOf([&] { missing.open(QStringLiteral("file://./backofficestorage/absent.lab/mbx")); }),
              err::StoreNotFound);
    EXPECT_EQ(errorOf([&] { createStore(QStringLiteral("..")); }), err::BadUrl);

    // A root that does not exist yet is made on first use, owner-only, with every folder above it.
    const QString fresh = store.root() + QStringLiteral("/lib/tavimor/backofficestorage");
    qputenv("TAVIMOR_STORE_ROOT", fresh.toUtf8());
    createStore(QStringLiteral("fresh.lab"));
    for (const QString& dir : {store.root() + QStringLiteral("/lib"), fresh, fresh + QStringLiteral("/fresh.lab")}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0) << dir.toStdString();
        EXPECT_EQ(st.st_mode & 0777, 0700u) << dir.toStdString();
    }
}

TEST(StoreConnectionTest, TransactionsCommitOrLeaveNothing) {
    TempStore store;
    StoreConnection con;
    con.open(TempStore::file());
    con.beginTrans();
    createItem(con, TempStore::file("committed"));
    con.commitTrans();
    EXPECT_TRUE(exists(TempStore::file("committed")));

    con.beginTrans();
    createItem(con, TempStore::file("rolled-back"));
    con.rollbackTrans();
    EXPECT_FALSE(exists(TempStore::file("rolled-back")));

    {
        StoreConnection abandoned;
        abandoned.open(TempStore::web());
        abandoned.beginTrans();
        createItem(abandoned, TempStore::file("abandoned"));
    }  // destroyed without commit
    EXPECT_FALSE(exists(TempStore::file("abandoned")));

    con.beginTrans();
    StoreRecord rec;
    rec.open(TempStore::file("closed"), &con, adMode::ReadWrite, adCreate::CreateOverwrite);
    con.close();  // abandons the transaction; the record's connection is gone
    EXPECT_EQ(errorOf([&] { rec.update(); }), err::NotOpen);
    EXPECT_FALSE(exists(TempStore::file("closed")));
}
