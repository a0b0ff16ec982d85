#include "lab/platform_store/TempStore.h"
#include "lab/store/LabSeed.h"
#include "platform/store/Store.h"

#include <gtest/gtest.h>

using namespace platform::store;
using namespace lab;
using testsupport::TempStore;

namespace {
QList<SeedMailbox> mailboxes(int n) {
    QList<SeedMailbox> out;
    for (int i = n - 1; i >= 0; --i) {
        const QString alias = QStringLiteral("user%1").arg(i, 2, 10, QLatin1Char('0'));
        out << SeedMailbox{alias, alias + "@tavimor.lab"};
    }
    out << SeedMailbox{QStringLiteral("o'brien"), QStringLiteral("o'brien@tavimor.lab")};
    return out;
}

const QList<SeedPublicFolder> kFolders{{"Sales Folder", "sales-folder@tavimor.lab"},
                                       {"O'Reilly Folder", "o'reilly-folder@tavimor.lab"},
                                       {"Journal Folder", "journal-folder@tavimor.lab"},
                                       {"Misc/Other", "misc@tavimor.lab"}};
}  // namespace

TEST(LabSeed, SeedsMailboxesRulesAndFoldersOnce) {
    TempStore store;
    const SeedReport first = seedLabStore(TempStore::domain(), mailboxes(12), kFolders);
    EXPECT_EQ(first.mailboxes, 13);
    EXPECT_EQ(first.localisedInboxes, 2);  // positions 3 and 9
    EXPECT_EQ(first.publicFolders, 4);
    EXPECT_GT(first.junkRules, 0);
    EXPECT_LT(first.junkRules, 13);

    // Position 3 of the sorted aliases ("o'brien" sorts first) is user02.
    StoreRecord mbx;
    mbx.open(TempStore::web("mbx/user02"));
    EXPECT_EQ(mbx.field(schema::kInbox), QVariant(TempStore::web("mbx/user02/Posteingang")));

    StoreConnection con;
    con.open(TempStore::file());
    StoreRecordset rs;
    rs.open(QStringLiteral("select \"DAV:href\" from scope('hierarchical traversal of \"%1\"') WHERE "
                           "\"http://schemas.microsoft.com/exchange/publicfolderemailaddress\" = 'journal-folder@tavimor.lab'")
                .arg(TempStore::file("public folders")),
            con);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field("DAV:href"), QVariant(TempStore::file("public folders/Archive/Journals/Journal Folder")));

    // Again: nothing new, nothing lost.
    const SeedReport second = seedLabStore(TempStore::domain(), mailboxes(12), kFolders);
    EXPECT_EQ(second.mailboxes, 0);
    EXPECT_EQ(second.junkRules, 0);
    EXPECT_EQ(second.publicFolders, 0);
    StoreRecordset boxes;
    boxes.open(QStringLiteral("select \"DAV:href\" from scope('shallow traversal of \"%1\"')").arg(TempStore::file("mbx")),
               con);
    EXPECT_EQ(boxes.recordCount(), 13);
}
