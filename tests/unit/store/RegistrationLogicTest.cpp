#include "store/Items.h"
#include "store/JournalMailbox.h"
#include "store/StoreQueries.h"

#include <gtest/gtest.h>

using platform::directory::Row;
using store::JournalMailbox;

namespace {
Row row(const QVariant& mail, const QVariant& nick, const QVariant& samType, const QVariant& mapi) {
    Row r;
    r.set("mail", mail);
    r.set("mailNickname", nick);
    r.set("sAMAccountType", samType);
    r.set("mAPIRecipient", mapi);
    return r;
}
}  // namespace

TEST(JournalMailbox, LocalPartAliasAndKind) {
    const auto a = JournalMailbox::fromRow(row("first@second@tavimor.lab", "alias", "805306368", QVariant()));
    EXPECT_EQ(a.localPart, QStringLiteral("first@second"));  // before the last "@"
    EXPECT_EQ(a.alias, QStringLiteral("alias"));
    EXPECT_FALSE(a.publicFolder);
    EXPECT_EQ(a.folderName(), QStringLiteral("inbox"));
    EXPECT_EQ(JournalMailbox::fromRow(row(QVariant(), QVariant(), 1, QVariant())).alias, QString());
    // Only with both account type and MAPI flag absent is it a public folder.
    const auto pf = JournalMailbox::fromRow(row("pf@tavimor.lab", "pf", QVariant(), QVariant()));
    EXPECT_TRUE(pf.publicFolder);
    EXPECT_EQ(pf.folderName(), QString());
    EXPECT_FALSE(JournalMailbox::fromRow(row("m@tavimor.lab", "m", QVariant(), "TRUE")).publicFolder);
}

// The order of the candidate mailboxes (alias before local part, web form before
// file form) is followed in real stores by RegistrationTest.
TEST(StoreQueryTexts, ValuesAreQuotedForTheirPlaceInTheQuery) {
    // Apostrophes in scopes and addresses are met in real stores (an inbox of
    // "archive.d'arcy", the "o'reilly-folder" address); a double quote cannot
    // close a scope URL.
    EXPECT_TRUE(store::queries::junkMailRule("file://./backofficestorage/d/mbx/a\"b/Inbox")
                    .contains(QStringLiteral("\"file://./backofficestorage/d/mbx/a%22b/Inbox\"")));
}

TEST(StoreText, TrimBlanksOnlyTrimsSpaces) {
    EXPECT_EQ(store::trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(store::trimBlanks(QStringLiteral("   ")), QString());
    EXPECT_EQ(store::trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
}
