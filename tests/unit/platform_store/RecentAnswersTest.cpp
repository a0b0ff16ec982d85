// The answers by address a thread keeps for a moment: kept for their time
// only, and forgotten whenever the directory's stamp moves, so that the sink's
// check before a drop can rely on every answer still kept.
#include "platform/store/RecentAnswers.h"

#include <gtest/gtest.h>

using platform::store::recipients::Recipient;
using platform::store::recipients::RecentAnswers;

namespace {

struct Answers : ::testing::Test {
    qint64 now = 1000;
    RecentAnswers answers{[this] { return now; }};
    Recipient alice() const {
        Recipient r;
        r.dn = "CN=Alice";
        r.homeMdb = "CN=Store";
        return r;
    }
    bool kept(const QString& address) const { return answers.find(address) != nullptr; }
};

TEST_F(Answers, FoundAndNotFoundAreKeptForTheirTimeOnly) {
    answers.setTtl(60000);
    answers.keep(" Alice@Example.org", alice());
    answers.keep("nobody@example.org", std::nullopt);
    ASSERT_TRUE(kept("alice@example.org "));
    EXPECT_EQ((*answers.find("ALICE@example.org"))->dn, "CN=Alice");
    ASSERT_TRUE(kept("nobody@example.org"));
    EXPECT_FALSE(answers.find("nobody@example.org")->has_value());
    now += 59999;
    EXPECT_TRUE(kept("alice@example.org"));
    now += 1;
    EXPECT_FALSE(kept("alice@example.org"));
    answers.keep("alice@example.org", alice());
    answers.setTtl(0);  // the host asks for fresh answers: none kept, none given
    EXPECT_FALSE(kept("alice@example.org"));
    answers.keep("bob@example.org", alice());
    answers.setTtl(60000);
    EXPECT_FALSE(kept("bob@example.org"));
}

TEST_F(Answers, AStampThatMovesOrCannotBeReadForgetsEverything) {
    answers.keep("alice@example.org", alice());
    answers.stampRead("dc1:100;");  // the first stamp: answers read before it vouch for nothing
    EXPECT_FALSE(kept("alice@example.org"));
    answers.keep("alice@example.org", alice());
    answers.stampRead("dc1:100;");
    EXPECT_TRUE(kept("alice@example.org"));
    answers.stampRead("dc1:101;");
    EXPECT_FALSE(kept("alice@example.org"));
    answers.keep("alice@example.org", alice());
    answers.stampRead(QString());  // not readable
    EXPECT_FALSE(kept("alice@example.org"));
    answers.keep("alice@example.org", alice());
    answers.stampRead(QString());
    EXPECT_FALSE(kept("alice@example.org"));
}

}  // namespace
