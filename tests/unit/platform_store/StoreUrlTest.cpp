#include "platform/store/StoreErrors.h"
#include "platform/store/StoreUrl.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

using platform::ComError;
using platform::store::StoreUrl;
namespace err = platform::store::err;

using testing_support::errorOf;

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
