// The registration routines against the lab domain controller: the journal
// mailbox is resolved through the directory connection with the program's query,
// the store is a temporary one built for the lab's recipients.

#include "lab/store/RegistrationFixture.h"
#include "store/Registration.h"
#include "support/Lab.h"

using namespace testsupport;
using namespace platform::store;
using testing_support::ldapsearchValues;

namespace {

class DirectoryEndToEnd : public RegistrationFixture {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        useDirectory = true;
        g.strLDAPRoot = testing_support::labRoot();
        g.conAD = std::make_shared<platform::directory::DirectoryConnection>();
        g.conAD->open();
        StoreBuilder b(TempStore::domain());
        b.ensureMailbox("journal.archive", "Posteingang");
        b.ensureJunkRule("journal.archive");
        // The D'Arcy archive's alias names no mailbox; its mail's local part does.
        b.ensureMailbox("archive.d'arcy");
        b.ensurePublicFolder({"Archive", "Journals", "Journal Folder"}, "JOURNAL-FOLDER@TAVIMOR.LAB");
        b.ensurePublicFolder({"Archive", "Legal", "O'Reilly Folder"}, "o'reilly-folder@tavimor.lab");
        b.commit();
    }
    static QString dnWhere(const QString& filter) { return ldapsearchValues(filter, "distinguishedName").value(0); }
    static bool hasReg(const QString& folder) { return exists(TempStore::file(folder + "/Tavimor.reg")); }
};

}  // namespace

TEST_F(DirectoryEndToEnd, MailboxJournalThroughTheDirectory) {
    const QString dn = dnWhere("(mailNickname=journal.archive)");
    ASSERT_FALSE(dn.isEmpty());
    store::CreateRegItem(ctx(), dn, "Shared Archive <shared.archive@tavimor.lab>", false);
    EXPECT_TRUE(hasReg("mbx/journal.archive/Posteingang"));
    tag = dn;
    EXPECT_TRUE(store::CheckRegItem(ctx(), dn, true));
    EXPECT_EQ(tag, dn + QChar(0) + "Shared Archive <shared.archive@tavimor.lab>");
    StoreRecord rule;
    rule.open(TempStore::file("mbx/journal.archive/Posteingang/Junk E-mail Rule"));
    EXPECT_EQ(rule.field("http://schemas.microsoft.com/mapi/proptag/0x65E90003"), QVariant(qint32(48)));
    store::RemoveRegItem(ctx(), dn);
    EXPECT_FALSE(store::CheckRegItem(ctx(), dn));
    EXPECT_EQ(log.text(), QString());
}

TEST_F(DirectoryEndToEnd, ApostrophesInNameAddressAndStoreUrl) {
    const QString dn = dnWhere("(mailNickname=archive.darcy)");
    ASSERT_TRUE(dn.contains('\'')) << dn.toStdString();
    store::CreateRegItem(ctx(), dn, "", true);
    EXPECT_TRUE(hasReg("mbx/archive.d'arcy/Inbox"));
    EXPECT_TRUE(store::CheckRegItem(ctx(), dn));
    store::RemoveRegItem(ctx(), dn);
    EXPECT_FALSE(hasReg("mbx/archive.d'arcy/Inbox"));
    // Only the last attempt of the creation may log; it succeeded.
    EXPECT_EQ(log.text(), QString());
}

TEST_F(DirectoryEndToEnd, PublicFolderJournals) {
    const QString journalFolder = dnWhere("(&(objectClass=publicFolder)(mailNickname=journal-folder))");
    const QString oreilly = dnWhere("(&(objectClass=publicFolder)(mailNickname=o'reilly-folder))");
    ASSERT_FALSE(journalFolder.isEmpty());
    ASSERT_FALSE(oreilly.isEmpty());
    for (const auto& [dn, folder] : {std::pair{journalFolder, QString("public folders/Archive/Journals/Journal Folder")},
                                     std::pair{oreilly, QString("public folders/Archive/Legal/O'Reilly Folder")}}) {
        store::CreateRegItem(ctx(), dn, "", false);
        EXPECT_TRUE(hasReg(folder)) << folder.toStdString();
        EXPECT_TRUE(store::CheckRegItem(ctx(), dn));
        store::RemoveRegItem(ctx(), dn);
        EXPECT_FALSE(hasReg(folder));
    }
    EXPECT_EQ(log.text(), QString());
}
