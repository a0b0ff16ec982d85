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
    EXPECT_EQ(JournalMailbox::fromRow(row("@tavimor.lab", "x", 1, QVariant())).localPart, QStringLiteral("@tavimor.lab"));
    EXPECT_EQ(JournalMailbox::fromRow(row("plain", "x", 1, QVariant())).localPart, QStringLiteral("plain"));
    EXPECT_EQ(JournalMailbox::fromRow(row(QVariant(), QVariant(), 1, QVariant())).alias, QString());
    // Only with both account type and MAPI flag absent is it a public folder.
    const auto pf = JournalMailbox::fromRow(row("pf@tavimor.lab", "pf", QVariant(), QVariant()));
    EXPECT_TRUE(pf.publicFolder);
    EXPECT_EQ(pf.folderName(), QString());
    EXPECT_FALSE(JournalMailbox::fromRow(row("m@tavimor.lab", "m", QVariant(), "TRUE")).publicFolder);
}

TEST(JournalMailbox, CandidatesInOrderSkippingEmptyNames) {
    app::Globals g;
    g.strHttpMailboxRoot = QStringLiteral("http://srv/exadmin/d/mbx");
    g.strFileMailboxRoot = QStringLiteral("file://./backofficestorage/d/mbx");
    JournalMailbox m;
    m.alias = QStringLiteral("jarchive");
    m.localPart = QStringLiteral("journal.archive");
    EXPECT_EQ(store::mailboxCandidates(g, m),
              (QStringList{"http://srv/exadmin/d/mbx/jarchive", "file://./backofficestorage/d/mbx/jarchive",
                           "http://srv/exadmin/d/mbx/journal.archive",
                           "file://./backofficestorage/d/mbx/journal.archive"}));
    m.alias.clear();
    EXPECT_EQ(store::mailboxCandidates(g, m).size(), 2);
    m.localPart.clear();
    EXPECT_TRUE(store::mailboxCandidates(g, m).isEmpty());

    g.strHttpMailboxRoot = QStringLiteral("http://srv/exadmin/mbx.lab/mbx");
    EXPECT_EQ(store::publicFolderRoot(g), QStringLiteral("http://srv/exadmin/public folders.lab/public folders"));
}

TEST(StoreQueryTexts, ValuesAreQuotedForTheirPlaceInTheQuery) {
    // Apostrophes are doubled inside literals; a double quote cannot close a scope URL.
    EXPECT_TRUE(store::queries::findRegItem("http://s/exadmin/d/mbx/o'brien/Inbox", "Tavimor.reg",
                                            store::queries::hiddenItemCondition())
                    .contains(QStringLiteral("traversal of \"http://s/exadmin/d/mbx/o''brien/Inbox\"')")));
    EXPECT_TRUE(store::queries::publicFolders("http://s/exadmin/d/public folders", "o'reilly@d")
                    .endsWith(QStringLiteral("publicfolderemailaddress\"='o''reilly@d')")));
    EXPECT_TRUE(store::queries::junkMailRule("file://./backofficestorage/d/mbx/a\"b/Inbox")
                    .contains(QStringLiteral("\"file://./backofficestorage/d/mbx/a%22b/Inbox\"")));
}

TEST(StoreText, TrimBlanksOnlyTrimsSpaces) {
    EXPECT_EQ(store::trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(store::trimBlanks(QStringLiteral("   ")), QString());
    EXPECT_EQ(store::trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
}
