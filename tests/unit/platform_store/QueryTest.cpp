#include "platform/store/Query.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/StoreUrl.h"
#include "support/Thrown.h"

#include <QVariantMap>
#include <gtest/gtest.h>

namespace q = platform::store::query;
namespace err = platform::store::err;
using platform::store::StoreUrl;
using testing_support::errorOf;

namespace {
// Whether a row with these properties matches the query's condition.
std::optional<bool> matches(const QString& text, const QVariantMap& row) {
    const q::SelectQuery query = q::parse(text);
    if (!query.where) return true;
    return q::evaluate(*query.where, [&](const QString& name) {
        for (auto it = row.begin(); it != row.end(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value();
        return QVariant();
    });
}

QString where(const QString& condition) {
    return QStringLiteral("SELECT \"a\" FROM SCOPE('shallow traversal of \"file://./backofficestorage/d\"') WHERE ") +
           condition;
}

QString syntaxError(const QString& text) {
    const auto t = testing_support::thrown([&] { q::parse(text); });
    EXPECT_EQ(t.number, err::CommandError) << text.toStdString();
    return t.description;
}
}  // namespace

// The program's own query texts (their blanks, letter case, traversals and "*")
// run against real stores in the registration, recordset and journaling tests.
TEST(StoreQuery, EscapedApostropheStaysInsideTheLiteral) {
    // 'o''reilly' is one value: the OR after it is part of nothing else.
    EXPECT_EQ(matches(where(QStringLiteral("\"a\" = 'o''reilly' OR \"b\" = 'x'")), {{"a", "O'Reilly"}}), true);
    EXPECT_EQ(matches(where(QStringLiteral("\"a\" = 'x'' OR ''1''=''1'")), {{"a", "anything"}}), false);
    EXPECT_EQ(matches(where(QStringLiteral("\"a\" = 'x'' OR ''1''=''1'")), {{"a", "x' OR '1'='1"}}), true);
}

// The program's own queries compare text and truth values, joined by AND and OR.
TEST(StoreQuery, ComparisonsPrecedenceAndAbsentProperties) {
    const QVariantMap row{{"s", "Tavimor.REG"}, {"t", true}, {"f", false}, {"a", "1"}, {"b", "2"}};
    EXPECT_EQ(matches(where("\"s\" = 'tavimor.reg'"), row), true);  // text ignores case
    EXPECT_EQ(matches(where("\"t\" = TRUE AND \"f\" = false"), row), true);
    EXPECT_EQ(matches(where("\"t\" = 'true'"), row), true);
    // AND binds tighter than OR.
    EXPECT_EQ(matches(where("\"a\" = '0' AND \"b\" = '0' OR \"a\" = '1'"), row), true);
    EXPECT_EQ(matches(where("\"a\" = '0' AND (\"b\" = '0' OR \"a\" = '1')"), row), false);
    // An absent property makes a comparison unknown; OR with a true side is
    // true, AND with a false side false.
    EXPECT_EQ(matches(where("\"missing\" = 'x'"), row), std::nullopt);
    EXPECT_EQ(matches(where("\"missing\" = 'x' OR \"a\" = '1'"), row), true);
    EXPECT_EQ(matches(where("\"missing\" = 'x' AND \"a\" = '0'"), row), false);
}

TEST(StoreQuery, MalformedTextsAreCommandErrorsNamingWhatIsWrong) {
    EXPECT_TRUE(syntaxError(where("\"a\" = 'open")).contains("position"));
    EXPECT_TRUE(syntaxError(where("\"a\" = 'x' ; DROP")).contains("unexpected character"));
    EXPECT_TRUE(syntaxError(QStringLiteral("UPDATE \"a\"")).contains("SELECT"));
    // An apostrophe left unescaped inside a literal ends it early: an error, not a
    // different query.
    for (const QString& text : {where("\"a\" = 'o'reilly'"), where("\"a\" = "), where("(\"a\" = 'x'"),
                                QStringLiteral("SELECT \"a\" FROM scope('shallow traversal of u')")})
        EXPECT_FALSE(syntaxError(text).isEmpty());
}

TEST(StoreQuery, NestingIsBoundedWithAClearError) {
    auto nested = [](int levels) {
        return where(QString("NOT (").repeated(levels) + "\"a\" = 1" + QString(")").repeated(levels));
    };
    EXPECT_EQ(matches(nested(32), {{"a", 1}}), true);  // 32 NOTs and 32 parentheses: the limit
    EXPECT_TRUE(syntaxError(nested(33)).contains("nested more than 64 levels"));
    // Far past any stack: refused, not a crash.
    EXPECT_TRUE(syntaxError(where(QString("NOT ").repeated(200000) + "\"a\" = 1")).contains("nested"));
    EXPECT_TRUE(syntaxError(where(QString("(").repeated(200000))).contains("nested"));
}

TEST(StoreUrl, BothFormsNameTheSamePathAndFixedPartsIgnoreCase) {
    const StoreUrl web = StoreUrl::parse(QStringLiteral("HTTP://EXCH01.tavimor.lab/ExAdmin/tavimor.lab/mbx/jdoe/Inbox"));
    const StoreUrl file = StoreUrl::parse(QStringLiteral("FILE://./BackOfficeStorage/tavimor.lab/mbx/jdoe/Inbox"));
    EXPECT_EQ(web.form, StoreUrl::Form::Web);
    EXPECT_EQ(file.form, StoreUrl::Form::File);
    EXPECT_EQ(web.host, QStringLiteral("EXCH01.tavimor.lab"));
    EXPECT_EQ(web.domainFolder, file.domainFolder);
    EXPECT_EQ(web.segments, file.segments);
    EXPECT_EQ(web.segments, (QStringList{"mbx", "jdoe", "Inbox"}));
}

TEST(StoreUrl, SpacesPercentEncodingAndSlashes) {
    // Literal blanks and %20 name the same folder; doubled and trailing slashes drop out.
    const StoreUrl a = StoreUrl::parse(QStringLiteral("http://s/exadmin/d/public folders/Sales//"));
    const StoreUrl b = StoreUrl::parse(QStringLiteral("http://s/exadmin/d/public%20folders/Sales"));
    EXPECT_EQ(a.segments, b.segments);
    EXPECT_EQ(a.segments, (QStringList{"public folders", "Sales"}));
    // Multi-byte UTF-8 decodes; an invalid escape stays as written.
    EXPECT_EQ(StoreUrl::parse(QStringLiteral("file://./backofficestorage/d/Bo%C3%AEte/50%zz")).segments,
              (QStringList{QStringLiteral("Boîte"), QStringLiteral("50%zz")}));
    // An apostrophe is an ordinary character of a name.
    EXPECT_EQ(StoreUrl::parse(QStringLiteral("file://./backofficestorage/d/mbx/o'brien")).segments.last(),
              QStringLiteral("o'brien"));
}

TEST(StoreUrl, RendersInTheFormItWasGiven) {
    const StoreUrl web = StoreUrl::parse(QStringLiteral("http://srv/exadmin/Tavimor.Lab/mbx"));
    EXPECT_EQ(web.withPath({"mbx", "a b", "Inbox"}), QStringLiteral("http://srv/exadmin/Tavimor.Lab/mbx/a b/Inbox"));
    // Names holding "%" come back exactly; a slash in a name is refused, not a new level.
    const QString encoded = web.withPath({"mbx", "ab%41", "100%"});
    EXPECT_EQ(encoded, QStringLiteral("http://srv/exadmin/Tavimor.Lab/mbx/ab%2541/100%25"));
    EXPECT_EQ(StoreUrl::parse(encoded).segments, (QStringList{"mbx", "ab%41", "100%"}));
    EXPECT_EQ(errorOf([&] { StoreUrl::parse(web.withPath({"a/b"})); }), err::BadUrl);
    const StoreUrl file = StoreUrl::parse(QStringLiteral("file://./backofficestorage/d/x/"));
    EXPECT_EQ(file.toString(), QStringLiteral("file://./backofficestorage/d/x"));
}

TEST(StoreUrl, RefusesWhatIsNoStoreUrl) {
    // Another scheme or root, no server, no domain folder; nothing may climb out of
    // the domain folder or hide a separator.
    for (const char* url : {"", "ftp://x/exadmin/d", "http://x/exchange/d/mbx", "http:///exadmin/d", "http://x/exadmin/",
                            "file://./backofficestorage/", "file://./backofficestorage/../etc",
                            "file://./backofficestorage/d/mbx/%2E%2E", "file://./backofficestorage/d/a%2Fb",
                            "file://./backofficestorage/a%5Cb/x", "file://./backofficestorage/d/%20/x"})
        EXPECT_EQ(errorOf([&] { StoreUrl::parse(QString::fromLatin1(url)); }), err::BadUrl) << url;
}
