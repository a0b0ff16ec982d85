#include "lab/platform_store/StoreTest.h"

#include <sys/stat.h>

namespace {

bool exists(const QString& url) {
    StoreRecord rec;
    return errorOf([&] { rec.open(url); }) == 0;
}

void createItem(StoreConnection& con, const QString& url) {
    StoreRecord rec;
    rec.open(url, &con, adMode::ReadWrite, adCreate::CreateOverwrite);
    rec.setField(QStringLiteral("urn:x:v"), 1);
    rec.update();
}
}  // namespace

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
