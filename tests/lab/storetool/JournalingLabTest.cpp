// Per-user journaling end to end against the lab directory: reports delivered as
// the tool delivers them, the store's save event, the sink deciding from the
// lab's markers and groups, forwarding, and what keeps everything.

#include "lab/storetool/JournalingFixture.h"
#include "platform/directory/Directory.h"
#include "platform/directory/Session.h"

#include <QProcess>
#include <QScopeGuard>
#include <atomic>
#include <thread>

namespace {

// How markers combine is tested on the sink alone; here the lab's markers reach
// the sink (a sender's below, a recipient's in the group case) and a cancelled
// save leaves nothing in the folder.
TEST_F(Journaling, ExternalPartiesAndAGroupRecipient) {
    const QString excluded = parties[0], unjournaled = "marker.none@tavimor.lab";
    markers(excluded, "###NoArcIn");
    // a group is expanded by the delivery: its journaled members count
    const QString team = "CN=O'Neill Team,OU=Groups," + testing_support::labBase();
    const QString hands = "CN=All Hands,OU=Groups," + testing_support::labBase();
    attributes.write(team, "member", QStringList{dnOfMail(excluded), dnOfMail(unjournaled)});
    attributes.write(hands, "member", QStringList{dnOfMail(parties[1]), dnOfMail(unjournaled)});
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
    installSink();
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

// The sink decides before the store's write transaction: while it looks up the
// parties of a large report, other deliveries to the same store go on.
TEST_F(Journaling, ASlowSinkDeliveryDoesNotHoldUpOthersToTheStore) {
    QStringList readers;
    for (int i = 0; i < 990; ++i) readers << QString("reader%1@example.org").arg(i);
    std::atomic<bool> done = false;
    bool slowKept = true;
    std::thread worker([&] {
        EXPECT_NO_THROW(slowKept = save(readers));
        done = true;
    });
    // Once the slow report is well under way (inside the sink, or holding the lock)...
    for (int waited = 0; !done && waited < 300; waited += 10) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int whileSlow = 0;
    for (; !done; whileSlow += !done) EXPECT_TRUE(save({parties[0]}, "someone@example.org", "marker.none"));
    worker.join();
    EXPECT_FALSE(slowKept);  // every party looked up: nobody journaled
    EXPECT_GE(whileSlow, 3);
}

// Parties the sink reads itself. A group recipient: nested groups in full, each
// once, even when they contain each other. Objects sharing an address (contacts
// given a journaled user's address): the mailbox user wins. A user outside this
// domain's naming context (one made in the configuration stands in for another
// domain's), homed on the journaled store: only a forest-wide look-up finds it.
// Answers kept for long never drop a report: every change here counts at once.
TEST_F(Journaling, NestedGroupsSharedAddressesAndUsersOfOtherDomainsCountAndKeptAnswersNeverDropAReport) {
    environment.set("TAVIMOR_SINK_CACHE_SECONDS", "600");
    const QString team = "CN=O'Neill Team,OU=Groups," + testing_support::labBase();
    const QString hands = "CN=All Hands,OU=Groups," + testing_support::labBase();
    markers(parties[0], "###NoArcIn");
    attributes.write(team, "member", QStringList{hands, dnOfMail(parties[0])});
    attributes.write(hands, "member", QStringList{team, dnOfMail("marker.none@tavimor.lab")});
    EXPECT_FALSE(save({"o'neill-team@tavimor.lab"}));
    attributes.write(hands, "member", QStringList{team, dnOfMail(parties[1])});  // journaled, two levels down
    EXPECT_TRUE(save({"o'neill-team@tavimor.lab"}));
    markers(parties[3], "###NoArcOut");
    EXPECT_FALSE(save({"someone@example.org"}, parties[3]));
    markers(parties[3], "");
    EXPECT_TRUE(save({"someone@example.org"}, parties[3]));

    for (const char* contact : {"CN=Ann O'Connor,OU=Contacts,", "CN=External Partner,OU=Contacts,"}) {
        const QString dn = contact + testing_support::labBase();
        attributes.write(dn, "proxyAddresses", ldapsearchValues("(objectClass=*)", "proxyAddresses", dn) << "smtp:" + parties[2]);
    }
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(save({parties[2]}));

    const QString dn = "CN=Tavimor Foreign User,CN=Services," + testing_support::configNc();
    const QString home = ldapsearchValues("(cn=Journal Archive)", "homeMDB").value(0);
    auto ldap = [](const char* tool, const QByteArray& input) {
        QProcess p;
        p.start(tool, testing_support::labEnv("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts) << "-c");
        p.write(input), p.closeWriteChannel(), p.waitForFinished(30000);
    };
    ldap("ldapdelete", dn.toUtf8() + "\n");
    ldap("ldapadd", "dn: " + dn.toUtf8() + "\nobjectClass: user\nmail: foreign.user@tavimor.lab\nhomeMDB: " + home.toUtf8() + "\n");
    const auto cleanup = qScopeGuard([&] { ldap("ldapdelete", dn.toUtf8() + "\n"); });
    ASSERT_EQ(ldapsearchValues("(mail=foreign.user@tavimor.lab)", "homeMDB", testing_support::configNc()), QStringList{home});
    EXPECT_TRUE(save({"foreign.user@tavimor.lab"}));
}

}  // namespace
