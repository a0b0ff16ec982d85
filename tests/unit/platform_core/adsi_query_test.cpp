#include "platform/directory/AdsiQuery.h"
#include "platform/directory/Directory.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

using namespace platform::directory;
using testing_support::errorOf;

namespace {
QString filterOf(const QString& text) { return AdsiQuery::parse(text).filter; }
}  // namespace

TEST(AdsiQuery, ReadsAttributesBaseAndOrderOfAListFill) {
    const AdsiQuery q = AdsiQuery::parse(
        "SELECT name, extensionAttribute10, adspath, cn, mailNickName,mail,distinguishedName,userAccountControl "
        "FROM 'LDAP://dc1.tavimor.lab' WHERE homeMDB='CN=Mailbox Store (VM),CN=First Storage Group,DC=x' AND "
        "objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn");
    EXPECT_EQ(q.attributes, (QStringList{"name", "extensionAttribute10", "adspath", "cn", "mailNickName", "mail",
                                         "distinguishedName", "userAccountControl"}));
    EXPECT_EQ(q.from.kind, AdsiUrl::Kind::Ldap);
    EXPECT_EQ(q.from.host, "dc1.tavimor.lab");
    EXPECT_TRUE(q.from.dn.isEmpty());
    // Parentheses inside a value never end the filter early; '*' alone is presence.
    EXPECT_EQ(q.filter,
              "(&(homeMDB=CN=Mailbox Store \\28VM\\29,CN=First Storage Group,DC=x)(objectcategory=person)"
              "(MsExchMailboxGuid=*))");
    EXPECT_EQ(q.orderBy, "cn");
    EXPECT_FALSE(q.descending);
}

// The recipient picker's query: OR inside AND, in parentheses.
TEST(AdsiQuery, KeywordsAreCaseBlindAndOrNestsInsideAnd) {
    const AdsiQuery q = AdsiQuery::parse("select Mail from 'gc://Host/DC=a,DC=b' where mail='*' and ((a='1') "
                                         "or (b='2' and c='3')) order by CN");
    EXPECT_EQ(q.from.kind, AdsiUrl::Kind::GlobalCatalog);
    EXPECT_EQ(q.from.host, "Host");
    EXPECT_EQ(q.from.dn, "DC=a,DC=b");
    EXPECT_EQ(q.filter, "(&(mail=*)(|(a=1)(&(b=2)(c=3))))");
    EXPECT_EQ(q.orderBy, "CN");
}

TEST(AdsiQuery, QuotedValuesKeepTheirMeaningAndCannotChangeTheQuery) {
    const struct { QString where, filter; } cases[] = {
        {"mail='o''brien@tavimor.lab'", "(mail=o'brien@tavimor.lab)"},  // a doubled apostrophe is one
        {"cn='Sys*'", "(cn=Sys*)"},                                      // wildcards stay
        // what a crafted address would try: close the literal, add a condition
        {"mail='" + quoteValue("x' OR mail='*") + "'", "(mail=x' OR mail='\\2A)"},
        {"cn='" + quoteValue("*)(objectClass=*") + "'", "(cn=\\2A\\29\\28objectClass=\\2A)"},
        // a backslash that is not an escape is escaped itself; a DN's own escapes survive
        {"distinguishedName='" + quoteValue("CN=Smith\\, John,DC=x") + "'", "(distinguishedName=CN=Smith\\5C, John,DC=x)"},
        {"cn='a\\b'", "(cn=a\\5cb)"},
        {"cn='a\\2ab'", "(cn=a\\2ab)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filterOf("SELECT cn FROM 'LDAP://h' WHERE " + c.where), c.filter) << c.where.toStdString();
}

// The program sends its own texts; what a value can bring in is an apostrophe.
TEST(AdsiQuery, MalformedTextsAreErrorsNotCrashes) {
    const char* bad[] = {
        "", "SELECT cn", "SELECT cn FROM 'LDAP://h' WHERE mail='o'brien'",  // an apostrophe not doubled
        "SELECT cn FROM 'LDAP://h' WHERE mail='unterminated", "SELECT cn FROM 'LDAP://h' WHERE (cn='x'",
        "SELECT cn FROM 'LDAP://h' WHERE cn='x')", "SELECT cn FROM 'LDAP://h' WHERE cn=''",
    };
    for (const char* text : bad) EXPECT_THROW(AdsiQuery::parse(QString::fromUtf8(text)), QueryError) << text;
}

TEST(AdsiQuery, NestingIsBoundedWithAClearError) {
    auto nested = [](int levels) {
        return "SELECT cn FROM 'LDAP://h' WHERE " + QString("NOT (").repeated(levels) + "cn='x'" +
               QString(")").repeated(levels);
    };
    EXPECT_EQ(filterOf(nested(2)), "(!(!(cn=x)))");
    EXPECT_NO_THROW(filterOf(nested(32)));  // 64 levels: the limit
    try {
        filterOf(nested(33));
        ADD_FAILURE() << "65 levels accepted";
    } catch (const QueryError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("nested more than 64 levels")) << e.what();
    }
    // Far past any stack: refused, not a crash.
    EXPECT_THROW(filterOf("SELECT cn FROM 'LDAP://h' WHERE " + QString("NOT ").repeated(200000) + "cn='x'"),
                 QueryError);
    EXPECT_THROW(filterOf("SELECT cn FROM 'LDAP://h' WHERE " + QString("(").repeated(200000)), QueryError);
}

TEST(AdsiUrl, TellsServersFromDistinguishedNames) {
    const struct { const char *url, *host, *dn; } cases[] = {
        {"LDAP://RootDSE", "", "RootDSE"}, {"LDAP://CN=Jo/Ann,OU=x,DC=a", "", "CN=Jo/Ann,OU=x,DC=a"},
        {"GC://dc1.a.b/CN=x,DC=a", "dc1.a.b", "CN=x,DC=a"}};
    for (const auto& c : cases) {
        const AdsiUrl u = AdsiUrl::parse(c.url);
        EXPECT_EQ(u.host, c.host) << c.url;
        EXPECT_EQ(u.dn, c.dn) << c.url;
    }
}

TEST(RecordSet, ReadsFieldsByNameWithNullForAbsentAndRefusesUnselectedOnes) {
    Row r1;
    r1.set("mail", "a@x");
    r1.set("extensionAttribute10", QStringList{"p", "q"});
    RecordSet rs({"mail", "ExtensionAttribute10"}, {r1, Row()});
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.text("MAIL"), "a@x");
    EXPECT_EQ(rs.text("extensionattribute10"), "p");
    rs.moveNext();
    EXPECT_TRUE(rs.field("mail").isNull());
    EXPECT_EQ(rs.text("mail"), "");
    EXPECT_THROW(rs.field("cn"), platform::ComError);
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST(DirectoryConnection, AClosedConnectionOrMalformedTextFailsWithTheProviderNumbers) {
    DirectoryConnection c;
    EXPECT_EQ(errorOf([&] { c.execute("SELECT cn FROM 'LDAP://h'"); }), platform::hr::NotOpen);
    c.open();
    EXPECT_EQ(errorOf([&] { c.execute("SELECT cn FROM '' WHERE mail='x'"); }), platform::hr::CommandError);
}
