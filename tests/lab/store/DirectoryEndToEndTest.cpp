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
        b.ensureJunkRule("archive.d'arcy");
        b.ensurePublicFolder({"Archive", "Journals", "Journal Folder"}, "JOURNAL-FOLDER@TAVIMOR.LAB");
        b.ensurePublicFolder({"Archive", "Legal", "O'Reilly Folder"}, "o'reilly-folder@tavimor.lab");
        b.commit();
    }
    static QString dnWhere(const QString& filter) { return ldapsearchValues(filter, "distinguishedName").value(0); }
    static bool hasReg(const QString& folder) { return exists(TempStore::file(folder + "/Tavimor.reg")); }
};

}  // namespace

TEST_F(DirectoryEndToEnd, MailboxAndPublicFolderJournalsWithApostrophesInNamesAddressesAndUrls) {
    const std::pair<const char*, QString> journals[] = {
        {"(mailNickname=journal.archive)", "mbx/journal.archive/Posteingang"},
        {"(mailNickname=archive.darcy)", "mbx/archive.d'arcy/Inbox"},
        {"(&(objectClass=publicFolder)(mailNickname=journal-folder))", "public folders/Archive/Journals/Journal Folder"},
        {"(&(objectClass=publicFolder)(mailNickname=o'reilly-folder))", "public folders/Archive/Legal/O'Reilly Folder"},
    };
    ASSERT_TRUE(dnWhere(journals[1].first).contains('\''));
    const QString fwd = "D'Arcy Forward <shared.archive@tavimor.lab>";
    for (const auto& [filter, folder] : journals) {
        const QString dn = dnWhere(filter);
        ASSERT_FALSE(dn.isEmpty()) << filter;
        store::CreateRegItem(ctx(), dn, fwd, true);
        EXPECT_TRUE(hasReg(folder)) << folder.toStdString();
        tag = dn;
        EXPECT_TRUE(store::CheckRegItem(ctx(), dn, true));
        EXPECT_EQ(tag, dn + QChar(0) + fwd + QChar(0) + "Both");
        store::RemoveRegItem(ctx(), dn);
        EXPECT_FALSE(hasReg(folder)) << folder.toStdString();
    }
    // The junk e-mail rule is switched off also where the inbox's URL holds an apostrophe.
    for (const char* rule : {"mbx/journal.archive/Posteingang/Junk E-mail Rule", "mbx/archive.d'arcy/Inbox/Junk E-mail Rule"}) {
        StoreRecord r;
        r.open(TempStore::file(rule));
        EXPECT_EQ(r.field("http://schemas.microsoft.com/mapi/proptag/0x65E90003"), QVariant(qint32(48))) << rule;
    }
    // Only the last attempt of a creation may log; every one succeeded.
    EXPECT_EQ(log.text(), QString());
}
