#include "platform/ComError.h"
#include "platform/sqlite/Database.h"
#include "platform/sqlite/Statement.h"
#include "platform/sqlite/Transaction.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace platform::sqlite;
using platform::ComError;

namespace {

constexpr int32_t kBase = static_cast<int32_t>(0x80990000);

// Numbers each stage apart so that tests see which one the wrapper reported.
[[noreturn]] void testPolicy(const Failure& f) {
    throw ComError(kBase + static_cast<int32_t>(f.stage),
                   QStringLiteral("%1|%2|%3").arg(QLatin1String(stageName(f.stage)), f.path, f.message));
}

void returningPolicy(const Failure&) {}

struct Caught {
    int32_t number = 0;
    QString description;
};

template <typename F>
Caught caught(F&& f) {
    try {
        f();
    } catch (const ComError& e) {
        return {e.number(), e.description()};
    }
    return {};
}

int32_t numberOf(Stage stage) { return kBase + static_cast<int32_t>(stage); }

class SqliteTest : public ::testing::Test {
protected:
    QString file(const char* name = "test.db") const { return dir.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<Database> open(const QString& path) {
        OpenOptions o;
        o.create = true;
        return std::make_unique<Database>(path, o, &testPolicy);
    }
    int64_t count(Database& db) {
        auto st = db.prepare("SELECT count(*) FROM t");
        EXPECT_TRUE(st.step());
        return st.integer(0);
    }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        db = open(file());
        db->exec("CREATE TABLE t(id INTEGER PRIMARY KEY, v, n TEXT NOT NULL DEFAULT '')");
    }
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
};

TEST_F(SqliteTest, ValuesKeepTheirStoredTypeAndNullStaysNull) {
    const QString unicode = QStringLiteral("Grüße, Ærøskøbing, 日本語, \U0001F600");
    const int64_t big = std::numeric_limits<int64_t>::min();
    auto insert = db->prepare("INSERT INTO t(v) VALUES(?1)");
    insert.bind(1, QVariant()).run();
    insert.reset();
    insert.bind(1, unicode).run();
    insert.reset();
    insert.bind(1, big).run();
    insert.reset();
    insert.bind(1, QVariant(true)).run();
    insert.reset();
    insert.bind(1, 2.5).run();
    insert.reset();
    insert.bind(1, QString()).run();  // a null string is text, not NULL
    insert.reset();
    insert.bind(1, QVariant(QStringLiteral("7"))).run();

    auto read = db->prepare("SELECT v, typeof(v) FROM t ORDER BY id");
    ASSERT_TRUE(read.step());
    EXPECT_TRUE(read.isNull(0));
    EXPECT_FALSE(read.value(0).isValid());
    EXPECT_TRUE(read.text(0).isNull());
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.text(0), unicode);
    EXPECT_EQ(read.value(0), QVariant(unicode));
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.integer(0), big);
    EXPECT_EQ(read.value(0).typeId(), QMetaType::LongLong);
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.text(1), QStringLiteral("integer"));
    EXPECT_EQ(read.integer(0), 1);
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.value(0), QVariant(2.5));
    ASSERT_TRUE(read.step());
    EXPECT_FALSE(read.isNull(0));
    EXPECT_EQ(read.text(1), QStringLiteral("text"));
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.text(1), QStringLiteral("text"));  // text stays text, even when it looks like a number
    EXPECT_FALSE(read.step());
}

TEST_F(SqliteTest, ResetClearsBindingsAndAnswersTheCounters) {
    auto insert = db->prepare("INSERT INTO t(v) VALUES(?1)");
    insert.bind(1, 5).run();
    EXPECT_EQ(db->lastInsertId(), 1);
    insert.reset();
    insert.run();  // the binding was cleared: NULL
    EXPECT_EQ(db->lastInsertId(), 2);
    db->prepare("UPDATE t SET v = 9").run();
    EXPECT_EQ(db->changes(), 2);
    auto nines = db->prepare("SELECT count(*) FROM t WHERE v IS 9");
    ASSERT_TRUE(nines.step());
    EXPECT_EQ(nines.integer(0), 2);
}

TEST_F(SqliteTest, FailuresReachThePolicyWithTheirStage) {
    const Caught prepare = caught([&] { db->prepare("SELEC nonsense"); });
    EXPECT_EQ(prepare.number, numberOf(Stage::Prepare));
    EXPECT_TRUE(prepare.description.startsWith(QStringLiteral("prepare|") + file() + QStringLiteral("|")));
    EXPECT_TRUE(prepare.description.contains(QStringLiteral("syntax error"))) << prepare.description.toStdString();

    EXPECT_EQ(caught([&] { db->exec("INSERT INTO missing VALUES(1)"); }).number, numberOf(Stage::Exec));
    EXPECT_EQ(caught([&] { db->prepare("SELECT ?1").bind(3, 1); }).number, numberOf(Stage::Bind));

    const Caught step = caught([&] { db->prepare("INSERT INTO t(n) VALUES(NULL)").run(); });
    EXPECT_EQ(step.number, numberOf(Stage::Step));
    EXPECT_TRUE(step.description.contains(QStringLiteral("NOT NULL"))) << step.description.toStdString();
    EXPECT_EQ(count(*db), 0);

    EXPECT_EQ(caught([&] { db->commit(); }).number, numberOf(Stage::Exec));  // no transaction open
}

TEST_F(SqliteTest, OpeningFailsThroughThePolicy) {
    OpenOptions existing;  // no create
    const QString missing = file("missing.db");
    const Caught open = caught([&] { Database d(missing, existing, &testPolicy); });
    EXPECT_EQ(open.number, numberOf(Stage::Open));
    EXPECT_TRUE(open.description.startsWith(QStringLiteral("open|") + missing));
    EXPECT_FALSE(QFile::exists(missing));

    // A link to a good database is refused only when asked to.
    const QString link = file("link.db");
    ASSERT_TRUE(QFile::link(file(), link));
    OpenOptions noFollow;
    noFollow.noFollow = true;
    EXPECT_EQ(caught([&] { Database d(link, noFollow, &testPolicy); }).number, numberOf(Stage::Open));
    EXPECT_EQ(caught([&] { Database d(link, existing, &testPolicy); }).number, 0);
}

TEST_F(SqliteTest, APolicyThatDoesNotThrowStillFails) {
    Database d(file(), OpenOptions{}, &returningPolicy);
    EXPECT_EQ(caught([&] { d.exec("nonsense"); }).number, platform::hr::Fail);
}

TEST_F(SqliteTest, TransactionsCommitOrRollBack) {
    {
        Transaction tx(*db);
        EXPECT_TRUE(db->inTransaction());
        db->prepare("INSERT INTO t(v) VALUES(1)").run();
        tx.commit();
    }
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(*db), 1);

    // Left by an exception: rolled back.
    EXPECT_NE(caught([&] {
                  Transaction tx(*db);
                  db->prepare("INSERT INTO t(v) VALUES(2)").run();
                  db->prepare("INSERT INTO t(n) VALUES(NULL)").run();
                  tx.commit();
              }).number,
              0);
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(*db), 1);

    db->begin();
    db->prepare("INSERT INTO t(v) VALUES(3)").run();
    db->rollback();
    EXPECT_EQ(count(*db), 1);
}

}  // namespace
