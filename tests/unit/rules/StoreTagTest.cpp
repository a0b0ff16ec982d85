// Store tag fields and the forwarding text.
#include "rules/ForwardingText.h"
#include "rules/StoreTag.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace rules;

namespace {
const QString N(QChar(0));
const QString dn = QStringLiteral("CN=Journal,OU=Mail,DC=x");

using Fields = std::tuple<QString, QString, bool>;  // journal, forwarding, both
Fields fields(const QString& tag) {
    const StoreTag t = readStoreTag(tag);
    return {t.journal, t.forwarding, t.both};
}

using NameAddress = std::pair<QString, QString>;
NameAddress split(const QString& text) {
    const ForwardingName f = splitForwardingText(text);
    return {f.displayName, f.address};
}

TEST(StoreTagReading, SplitsUpToThreeFieldsAtSeparatorsAfterTheFirstCharacter) {
    EXPECT_EQ(fields(dn), Fields(dn, "", false));
    EXPECT_EQ(fields(dn + N + "Ann <ann@x>"), Fields(dn, "Ann <ann@x>", false));
    EXPECT_EQ(fields(dn + N + "ann@x" + N + "Both"), Fields(dn, "ann@x", true));
    // a tag that begins with NUL is one journal field
    EXPECT_EQ(fields(N + "fwd"), Fields(N + "fwd", "", false));
    EXPECT_EQ(journalPart(N + "fwd"), N + "fwd");
    EXPECT_EQ(journalPart(dn + N + "fwd" + N + "Both"), dn);
    // an empty forwarding field: the second separator is its first character
    EXPECT_EQ(fields(dn + N + N + "Both"), Fields(dn, N + "Both", false));
}

TEST(ForwardingText, NameAndAddress) {
    EXPECT_EQ(split("Ann Smith <ann@x.test>"), NameAddress("Ann Smith", "ann@x.test"));
    EXPECT_EQ(split("ann@x.test"), NameAddress("ann@x.test", "ann@x.test"));
    // "<" first, or only blanks before it: the whole text is name and address
    EXPECT_EQ(split("<ann@x.test>"), NameAddress("ann@x.test", "ann@x.test"));
    EXPECT_EQ(split("   < ann@x.test >"), NameAddress("ann@x.test", "ann@x.test"));
    EXPECT_EQ(split(""), NameAddress("", ""));
}

}  // namespace
