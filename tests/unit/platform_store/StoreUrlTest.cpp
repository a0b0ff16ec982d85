#include "platform/store/StoreErrors.h"
#include "platform/store/StoreUrl.h"

#include <gtest/gtest.h>

using platform::ComError;
using platform::store::StoreUrl;
namespace err = platform::store::err;

namespace {
int32_t failureOf(const QString& url) {
    try {
        StoreUrl::parse(url);
    } catch (const ComError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(StoreUrl, BothFormsNameTheSamePath) {
    const StoreUrl web = StoreUrl::parse(QStringLiteral("http://EXCH01.tavimor.lab/exadmin/tavimor.lab/mbx/jdoe/Inbox"));
    const StoreUrl file = StoreUrl::parse(QStringLiteral("file://./backofficestorage/tavimor.lab/mbx/jdoe/Inbox"));
    EXPECT_EQ(web.form, StoreUrl::Form::Web);
    EXPECT_EQ(file.form, StoreUrl::Form::File);
    EXPECT_EQ(web.host, QStringLiteral("EXCH01.tavimor.lab"));
    EXPECT_EQ(web.domainFolder, file.domainFolder);
    EXPECT_EQ(web.segments, file.segments);
    EXPECT_EQ(web.segments, (QStringList{"mbx", "jdoe", "Inbox"}));
}

TEST(StoreUrl, SchemeAndFixedPartsIgnoreCase) {
    EXPECT_EQ(StoreUrl::parse(QStringLiteral("HTTP://x/ExAdmin/d/a")).segments, QStringList{"a"});
    EXPECT_EQ(StoreUrl::parse(QStringLiteral("FILE://./BackOfficeStorage/d/a")).segments, QStringList{"a"});
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
    const StoreUrl file = StoreUrl::parse(QStringLiteral("file://./backofficestorage/d/x/"));
    EXPECT_EQ(file.toString(), QStringLiteral("file://./backofficestorage/d/x"));
}

TEST(StoreUrl, RefusesWhatIsNoStoreUrl) {
    EXPECT_EQ(failureOf(QString()), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("ftp://x/exadmin/d")), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("http://x/exchange/d/mbx")), err::BadUrl);  // not the admin root
    EXPECT_EQ(failureOf(QStringLiteral("http:///exadmin/d")), err::BadUrl);        // no server
    EXPECT_EQ(failureOf(QStringLiteral("http://x/exadmin/")), err::BadUrl);        // no domain folder
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/")), err::BadUrl);
    // Nothing may climb out of the domain folder or hide a separator.
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/../etc")), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/d/mbx/%2E%2E")), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/d/a%2Fb")), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/a%5Cb/x")), err::BadUrl);
    EXPECT_EQ(failureOf(QStringLiteral("file://./backofficestorage/d/%20/x")), err::BadUrl);
}

TEST(StoreUrl, QuotingForQueries) {
    using platform::store::quoteLiteral;
    using platform::store::quoteUrlForScope;
    EXPECT_EQ(quoteLiteral(QStringLiteral("o'reilly''s")), QStringLiteral("o''reilly''''s"));
    EXPECT_EQ(quoteUrlForScope(QStringLiteral("file://./backofficestorage/d/a\"b")),
              QStringLiteral("file://./backofficestorage/d/a%22b"));
}
