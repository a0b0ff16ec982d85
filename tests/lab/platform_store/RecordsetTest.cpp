#include "lab/platform_store/StoreTest.h"

namespace {

QString scope(const char* traversal, const QString& url) {
    return QStringLiteral(" from scope ('%1 traversal of \"%2\"') ").arg(QString::fromLatin1(traversal), url);
}

QStringList column(StoreRecordset& rs, const QString& name) {
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) out << rs.field(name).toString();
    return out;
}

class RecordsetTest : public ::testing::Test {
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

TEST_F(RecordsetTest, TraversalsRowOrderAndHiddenItemsOnlyWhenTheConditionAsksForThem) {
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
TEST_F(RecordsetTest, ColumnsReadAsSelectedWithNullForAbsentValues) {
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
TEST_F(RecordsetTest, AScopeOfAnotherStoreIsRefused) {
    StoreRecordset rs;
    EXPECT_EQ(errorOf([&] {
                  rs.open("select \"a\"" + scope("shallow", "file://./backofficestorage/other.lab/mbx"), con);
              }),
              err::BadUrl);
    EXPECT_EQ(rs.state(), 0);
}
