// Store tag fields and the forwarding text.
#include "engine/ForwardingText.h"
#include "engine/StoreTag.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {
const QString N(QChar(0));
const QString dn = QStringLiteral("CN=Journal,OU=Mail,DC=x");

TEST(StoreTagReading, SplitsUpToThreeFields) {
    StoreTag t = readStoreTag(dn);
    EXPECT_EQ(t.journal, dn);
    EXPECT_EQ(t.forwarding, "");
    EXPECT_FALSE(t.both);

    t = readStoreTag(dn + N + "Ann <ann@x>");
    EXPECT_EQ(t.journal, dn);
    EXPECT_EQ(t.forwarding, "Ann <ann@x>");
    EXPECT_FALSE(t.both);

    t = readStoreTag(dn + N + "ann@x" + N + "Both");
    EXPECT_EQ(t.forwarding, "ann@x");
    EXPECT_TRUE(t.both);
    // the word after the second separator is not compared
    EXPECT_TRUE(readStoreTag(dn + N + "ann@x" + N).both);
}

TEST(StoreTagReading, SeparatorAtTheStartIsNotAField) {
    // a tag that begins with NUL is one journal field
    StoreTag t = readStoreTag(N + "fwd");
    EXPECT_EQ(t.journal, N + "fwd");
    EXPECT_EQ(t.forwarding, "");
    // an empty forwarding field: the second separator is its first character
    t = readStoreTag(dn + N + N + "Both");
    EXPECT_EQ(t.forwarding, N + "Both");
    EXPECT_FALSE(t.both);
    EXPECT_EQ(journalPart(""), "");
    EXPECT_EQ(journalPart(dn + N + "x"), dn);
}

TEST(StoreTagWriting, ForwardingOnlyBesideAJournal) {
    EXPECT_EQ(composeStoreTag(dn, ""), dn);
    EXPECT_EQ(composeStoreTag("", "ann@x"), "");
    EXPECT_EQ(composeStoreTag(dn, "ann@x"), dn + N + "ann@x");
}

TEST(StoreTagWriting, BothIsRecordedOnlyWithForwarding) {
    EXPECT_EQ(withBoth(dn, true), dn);
    const QString fwd = dn + N + "ann@x";
    EXPECT_EQ(withBoth(fwd, true), fwd + N + "Both");
    EXPECT_EQ(withBoth(fwd + N + "Both", true), fwd + N + "Both");
    EXPECT_EQ(withBoth(fwd + N + "Both", false), fwd);
    EXPECT_EQ(withBoth(fwd, false), fwd);
    EXPECT_TRUE(readStoreTag(withBoth(fwd, true)).both);
}

TEST(ForwardingText, NameAndAddress) {
    ForwardingName f = splitForwardingText("Ann Smith <ann@x.test>");
    EXPECT_EQ(f.displayName, "Ann Smith");
    EXPECT_EQ(f.address, "ann@x.test");

    f = splitForwardingText("ann@x.test");
    EXPECT_EQ(f.displayName, "ann@x.test");
    EXPECT_EQ(f.address, "ann@x.test");

    // "<" first, or only blanks before it: the whole text is name and address
    f = splitForwardingText("<ann@x.test>");
    EXPECT_EQ(f.displayName, "ann@x.test");
    EXPECT_EQ(f.address, "ann@x.test");
    f = splitForwardingText("   < ann@x.test >");
    EXPECT_EQ(f.displayName, "ann@x.test");
    EXPECT_EQ(f.address, "ann@x.test");

    // stray brackets are dropped from the address
    f = splitForwardingText("Bob <<bob@x>> ");
    EXPECT_EQ(f.displayName, "Bob");
    EXPECT_EQ(f.address, "bob@x");

    f = splitForwardingText("");
    EXPECT_EQ(f.displayName, "");
    EXPECT_EQ(f.address, "");
}

}  // namespace
