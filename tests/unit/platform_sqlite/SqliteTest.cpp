// The SQLite wrapper: stored types, bindings and where failures go. Transactions
// and links are checked through their users: the store connection and the catalog.
#include "platform/ComError.h"
#include "platform/sqlite/Database.h"
#include "platform/sqlite/Statement.h"
#include "support/Thrown.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace platform::sqlite;
using platform::ComError;
using testing_support::errorOf;
using testing_support::thrown;

namespace {

constexpr int32_t kBase = static_cast<int32_t>(0x80990000);

// Numbers each stage apart so that tests see which one the wrapper reported.
[[noreturn]] void testPolicy(const Failure& f) {
    throw ComError(kBase + static_cast<int32_t>(f.stage),
                   QStringLiteral("%1|%2|%3").arg(QLatin1String(stageName(f.stage)), f.path, f.message));
}

int32_t numberOf(Stage stage) { return kBase + static_cast<int32_t>(stage); }

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        OpenOptions o;
        o.create = true;
        db = std::make_unique<Database>(file(), o, &testPolicy);
        db->exec("CREATE TABLE t(id INTEGER PRIMARY KEY, v, n TEXT NOT NULL DEFAULT '')");
    }
    QString file(const char* name = "test.db") const { return dir.filePath(QString::fromLatin1(name)); }
    int64_t count() {
        auto st = db->prepare("SELECT count(*) FROM t");
        EXPECT_TRUE(st.step());
        return st.integer(0);
    }
    // Stores one value and reads it back, with the type SQLite stored it as.
    template <typename T>
    std::pair<QVariant, QString> roundTrip(const T& value) {
        db->exec("DELETE FROM t");
        db->prepare("INSERT INTO t(v) VALUES(?1)").bind(1, value).run();
        auto read = db->prepare("SELECT v, typeof(v) FROM t");
        EXPECT_TRUE(read.step());
        return {read.value(0), read.text(1)};
    }
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
};

TEST_F(SqliteTest, ValuesKeepTheirStoredTypeAndNullStaysNull) {
    const QString unicode = QStringLiteral("Grüße, Ærøskøbing, 日本語, \U0001F600");
    const int64_t big = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(roundTrip(QVariant()), std::make_pair(QVariant(), QStringLiteral("null")));
    EXPECT_EQ(roundTrip(unicode), std::make_pair(QVariant(unicode), QStringLiteral("text")));
    EXPECT_EQ(roundTrip(big), std::make_pair(QVariant(qlonglong(big)), QStringLiteral("integer")));
    EXPECT_EQ(roundTrip(QVariant(true)), std::make_pair(QVariant(qlonglong(1)), QStringLiteral("integer")));
    EXPECT_EQ(roundTrip(QString()).second, QStringLiteral("text"));  // a null string is text, not NULL
    // Text stays text, even when it looks like a number.
    EXPECT_EQ(roundTrip(QVariant(QStringLiteral("7"))).second, QStringLiteral("text"));

    // A reset clears the bindings: the second row is NULL, read as a null text.
    auto insert = db->prepare("INSERT INTO t(v) VALUES(?1)");
    insert.bind(1, 5).run();
    insert.reset();
    insert.run();
    EXPECT_EQ(db->lastInsertId(), 3);
    auto read = db->prepare("SELECT v FROM t WHERE id = 3");
    ASSERT_TRUE(read.step());
    EXPECT_TRUE(read.isNull(0));
    EXPECT_TRUE(read.text(0).isNull());
    EXPECT_FALSE(read.step());
    db->prepare("UPDATE t SET v = 9 WHERE v IS NULL").run();
    EXPECT_EQ(db->changes(), 1);
}

TEST_F(SqliteTest, FailuresReachThePolicyWithTheirStage) {
    const auto prepare = thrown([&] { db->prepare("SELEC nonsense"); });
    EXPECT_EQ(prepare.number, numberOf(Stage::Prepare));
    EXPECT_TRUE(prepare.description.startsWith(QStringLiteral("prepare|") + file() + QStringLiteral("|")));

    EXPECT_EQ(errorOf([&] { db->exec("INSERT INTO missing VALUES(1)"); }), numberOf(Stage::Exec));
    const auto step = thrown([&] { db->prepare("INSERT INTO t(n) VALUES(NULL)").run(); });
    EXPECT_EQ(step.number, numberOf(Stage::Step));
    EXPECT_TRUE(step.description.contains(QStringLiteral("NOT NULL"))) << step.description.toStdString();
    EXPECT_EQ(count(), 0);
}

TEST_F(SqliteTest, OpeningFailsThroughThePolicy) {
    OpenOptions existing;  // no create
    const QString missing = file("missing.db");
    const auto open = thrown([&] { Database d(missing, existing, &testPolicy); });
    EXPECT_EQ(open.number, numberOf(Stage::Open));
    EXPECT_TRUE(open.description.startsWith(QStringLiteral("open|") + missing));
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace

// A statement is prepared once per handle and reused: every use sees its own
// bindings, two open at once of one text do not share a cursor, and a finished
// one holds no lock (a reader left mid-way would keep other writers out).
TEST_F(SqliteTest, ReusedStatementsKeepTheirBindingsApartAndHoldNoLock) {
    for (int i = 0; i < 3; ++i) db->prepare("INSERT INTO t(v) VALUES(?)").bind(1, i).run();
    const char* byId = "SELECT v FROM t WHERE id >= ? ORDER BY id";
    {
        auto outer = db->prepare(byId);
        outer.bind(1, 2);
        ASSERT_TRUE(outer.step());
        EXPECT_EQ(outer.integer(0), 1);
        auto inner = db->prepare(byId);
        inner.bind(1, 3);
        ASSERT_TRUE(inner.step());
        EXPECT_EQ(inner.integer(0), 2);
        EXPECT_TRUE(outer.step());
        EXPECT_EQ(outer.integer(0), 2);
    }
    for (int round = 0; round < 2; ++round) {
        auto again = db->prepare(byId);  // unbound: NULL, no row is >= NULL
        EXPECT_FALSE(again.step());
    }
    {
        auto unfinished = db->prepare(byId);
        unfinished.bind(1, 1);
        ASSERT_TRUE(unfinished.step());
    }
    OpenOptions o;
    o.busyTimeoutMs = 0;
    Database other(file(), o, &testPolicy);
    EXPECT_NO_THROW(other.exec("INSERT INTO t(v) VALUES(9)"));
    EXPECT_EQ(count(), 4);
}
