// Per-user journaling end to end against the lab directory: reports delivered as
// the tool delivers them, the store's save event, the sink deciding from the
// lab's markers and groups, forwarding, and what keeps everything.

#include "JournalingLab.h"
#include "journal/JournalReport.h"
#include "platform/directory/Session.h"

using namespace testsupport;
namespace ps = platform::store;

namespace {

class Journaling : public JournalingLab {};

// How markers combine is tested on the sink alone; here the lab's markers reach
// the sink (a sender's below, a recipient's in the group case) and a cancelled
// save leaves nothing in the folder.
TEST_F(Journaling, ExternalPartiesAndAGroupRecipient) {
    const QString excluded = parties[0], unjournaled = "marker.none@tavimor.lab";
    markers(excluded, "###NoArcIn");
    // a group is expanded by the delivery: its journaled members count
    const QString team = "CN=O'Neill Team,OU=Groups," + testing_support::labBase();
    const QString hands = "CN=All Hands,OU=Groups," + testing_support::labBase();
    write(team, "member", QStringList{dnOfMail(excluded), dnOfMail(unjournaled)});
    write(hands, "member", QStringList{dnOfMail(parties[1]), dnOfMail(unjournaled)});
    auto saved = deliver("someone@example.org", {"o'neill-team@tavimor.lab"});
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_FALSE(saved[0].kept);
    saved = deliver("someone@example.org", {"all-hands@tavimor.lab"});
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].kept);
    ps::StoreRecord r;
    r.open(saved[0].itemUrl);
    const auto envelope = journal::readEnvelope(r.field(journal::kMimeProperty).toString().toUtf8());
    ASSERT_TRUE(envelope.has_value());
    EXPECT_TRUE(envelope->to.contains(parties[1] + ", Expanded: all-hands@tavimor.lab")) << envelope->to.join('|').toStdString();
}

TEST_F(Journaling, ForwardingToAUserAPublicFolderAndAnOutsideAddressWithAndWithoutBoth) {
    const QString queue = TempStore::file("Outbound Queue");
    const struct { QString forward; bool both; QString folder; } cases[] = {
        {"Marker None <marker.none@tavimor.lab>", false, inbox("marker.none")},
        {"sales-folder@tavimor.lab", true, TempStore::file("public folders/Sales Folder")},
        {"auditor@example.org", false, queue},
    };
    int inJournal = 0;
    int i = 0;
    QHash<QString, int> copies;
    for (const auto& c : cases) {
        register_(c.forward, c.both);
        const auto saved = deliver(parties[i++], {"someone@example.org"});
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(saved[0].kept, c.both) << c.forward.toStdString();
        inJournal += c.both;
        EXPECT_EQ(reports(inbox("journal.archive")).size(), inJournal) << c.forward.toStdString();
        EXPECT_EQ(reports(c.folder).size(), ++copies[c.folder]) << c.forward.toStdString();
    }
    ps::StoreRecordset rows;
    rows.open("SELECT \"urn:schemas:mailheader:to\" FROM SCOPE('shallow traversal of \"" + queue + "\"')", queue);
    for (; !rows.eof(); rows.moveNext()) EXPECT_EQ(rows.field("urn:schemas:mailheader:to").toString(), "auditor@example.org");
}

TEST_F(Journaling, WithoutTheApplicationOrTheRegistrationTheSinkIsNotCalledAndEverythingIsKept) {
    const QString from = parties[0];
    markers(from, "###NoArcOut");
    ASSERT_FALSE(deliver(from, {"someone@example.org"})[0].kept);
    {
        platform::complus::Catalog c = catalog.open();
        platform::complus::CatalogCollection apps = testing_support::applications(c);
        apps.Remove(0);
        apps.SaveChanges();
    }
    EXPECT_TRUE(deliver(from, {"someone@example.org"})[0].kept);
    {
        platform::complus::Catalog c = catalog.open();
        c.InstallComponent(testing_support::addApp(c, "Tavimor"), testing_support::sinkLibrary(), QString(), QString());
    }
    ASSERT_FALSE(deliver(from, {"someone@example.org"})[0].kept);
    store::RemoveRegItem(env->context(), journalDn);
    EXPECT_TRUE(deliver(from, {"someone@example.org"})[0].kept);
    EXPECT_EQ(reports(inbox("journal.archive")).size(), 2);
}

TEST_F(Journaling, TheEventHonoursCriteriaAndScopeAndAKeptReportSurvivesADirectoryThatIsDown) {
    const QString from = parties[0];
    markers(from, "###NoArcOut");
    journal::Envelope e{from, "Hidden", "<h@tavimor.lab>", {"someone@example.org"}, {}, {}};
    const QByteArray mime = journal::buildReport(e, journal::composeMessage(from, e.to, {}, e.subject, e.messageId, "x"),
                                                 "journal.archive@tavimor.lab");
    auto save = [&](const QString& url, bool hidden) {
        ps::StoreRecord r;
        r.open(url, nullptr, ps::adMode::ReadWrite, ps::adCreate::CreateNonCollection);
        for (const auto& p : journal::reportProperties(e, mime)) r.setField(p.name, ps::detail::coerce(p.value, p.type));
        r.setField("DAV:ishidden", hidden);
        r.update();
    };
    // a hidden item and an item of a subfolder do not raise the event
    EXPECT_NO_THROW(save(inbox("journal.archive") + "/hidden.eml", true));
    ps::StoreRecord sub;
    sub.open(inbox("journal.archive") + "/Sub", nullptr, ps::adMode::ReadWrite, ps::adCreate::CreateCollection);
    sub.close();
    EXPECT_NO_THROW(save(inbox("journal.archive") + "/Sub/deep.eml", false));
    // a visible item is examined and this one dropped; an existing item keeps its fields
    try {
        save(inbox("journal.archive") + "/visible.eml", false);
        ADD_FAILURE() << "the save was not cancelled";
    } catch (const platform::ComError& err) {
        EXPECT_EQ(err.number(), ps::err::EventCancelled);
    }
    EXPECT_ANY_THROW(ps::StoreRecord().open(inbox("journal.archive") + "/visible.eml"));
    {
        ps::StoreRecord hidden;
        hidden.open(inbox("journal.archive") + "/hidden.eml", nullptr, ps::adMode::ReadWrite);
        hidden.setField("DAV:ishidden", false);
        hidden.setField("urn:schemas:httpmail:subject", "changed");
        EXPECT_ANY_THROW(hidden.update());
        ps::StoreRecord again;
        again.open(inbox("journal.archive") + "/hidden.eml");
        EXPECT_EQ(again.field("urn:schemas:httpmail:subject").toString(), "Hidden");
    }

    // With the directory unreachable the sink keeps the report (and logs why).
    const QByteArray labUri = qgetenv("LDAPURI");
    qputenv("LDAPURI", "ldap://127.0.0.1:9");
    platform::directory::resetConnectionCache();
    e.sender = "nobody.known@tavimor.lab";
    EXPECT_NO_THROW(save(inbox("journal.archive") + "/unexamined.eml", false));
    qputenv("LDAPURI", labUri);
    platform::directory::resetConnectionCache();
    EXPECT_NO_THROW(ps::StoreRecord().open(inbox("journal.archive") + "/unexamined.eml"));
}

}  // namespace
