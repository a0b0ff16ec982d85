// The journaling sink's decisions over an in-memory directory and store: which
// parties count, keep or drop by the markers as the user list reads them,
// forwarding, and what happens when the directory or a forward fails.

#include "FakeServices.h"
#include "journal/JournalReport.h"
#include "sink/DirectoryCache.h"
#include "sink/Journaler.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testsupport;
using sink::Verdict;

namespace {

const QString kJournaled = "CN=Journaled Store";
const QString kOther = "CN=Other Journaled Store";
const QString kPlain = "CN=Mailbox Store";
const QString kInbox = "file://./backofficestorage/tavimor.lab/mbx/journal.archive/Inbox";

class Journaler : public ::testing::Test {
protected:
    Journaler() {
        fake.user("journal.archive", kJournaled);
        fake.journals.insert(kJournaled, "CN=journal.archive,OU=Staff");
        fake.user("other.archive", kOther);
        fake.journals.insert(kOther, "CN=other.archive,OU=Staff");
        sink::DirObject& pf = fake.byAddress["journal-folder@tavimor.lab"];
        pf = {"CN=Journal Folder", "pf", "journal-folder@tavimor.lab", "journal-folder", "", ""};
        fake.journals.insert("CN=Public Journal Store", pf.dn);
        fake.publicFolders.insert("journal-folder@tavimor.lab", "file://./backofficestorage/tavimor.lab/public folders/Journal Folder");
        fake.user("legal", kPlain);
        fake.byAddress["partner@example.com"] = {"CN=Partner", "contact", "partner@example.com", "partner", "", ""};
    }

    sink::SaveEvent report(const QString& from, const QStringList& to, const QStringList& cc = {}) {
        const journal::Envelope e{from, "Quarterly figures", "<m1@tavimor.lab>", to, cc, {}};
        const QByteArray original = journal::composeMessage(from, to, cc, e.subject, e.messageId, "body\n");
        const QByteArray mime = journal::buildReport(e, original, "journal.archive@tavimor.lab");
        sink::SaveEvent ev{kInbox + "/r1.eml", kInbox, "journal.archive", false, {}, {}};
        for (const auto& p : journal::reportProperties(e, mime)) ev.item.push_back({p.name, p.type, p.value});
        ev.registration.push_back({"DAV:contentclass", 8, QString("urn:content-class:storeeventreg")});
        if (!forwardTo.isEmpty()) ev.registration.push_back({"Tavimor_FWDAddress", 8, forwardTo});
        if (both) ev.registration.push_back({"Tavimor_FWDAndSave", 8, QString("FWDAndSave")});
        return ev;
    }
    Verdict run(const sink::SaveEvent& e) { return sink::journal(e, fake, log); }
    // A report of an outside sender to a user excluded for incoming, with `mime` as its text.
    sink::SaveEvent withMime(const QByteArray& mime) {
        sink::SaveEvent ev = report("stranger@example.org", {"excluded.in@tavimor.lab"});
        for (auto& p : ev.item)
            if (p.name == journal::kMimeProperty) p.value = QString::fromUtf8(mime);
        return ev;
    }

    FakeServices fake;
    MemoryLog log;
    QString forwardTo;
    bool both = false;
};

// A report written by hand: the journaling agent's headers (or `headers`), the
// envelope lines as given, and a small original.
QByteArray handMade(const QString& envelope, const QByteArray& headers = {}) {
    const QByteArray head = headers.isNull()
        ? "From: Journaling Agent <postmaster@tavimor.lab>\r\nTo: journal.archive@tavimor.lab\r\nX-MS-Journal-Report: \r\n"
        : headers;
    return head + "Subject: figures\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                  "--b1\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + envelope.toUtf8() +
           "\r\n--b1\r\nContent-Type: message/rfc822\r\n\r\nFrom: x@example.org\r\nSubject: figures\r\n\r\nbody\r\n--b1--\r\n";
}

// Every case below is a report a full reading would drop (its parties: an
// outside sender, a recipient excluded for incoming), or one that names the
// journaled alice in a way a careless reader misses. None may be dropped.
TEST_F(Journaler, ForgedOddAndForeignItemsAreNeverDropped) {
    fake.user("alice", kJournaled);
    (fake.byAddress["\"alice q\"@tavimor.lab"] = fake.user("alice.q", kJournaled)).mail = "\"alice q\"@tavimor.lab";
    fake.user("excluded.in", kJournaled, "###NoArcIn");
    const QByteArray original = journal::composeMessage("alice@tavimor.lab", {"x@example.org"}, {}, "Hi", "<m@x>", "body\n");
    fake.byAddress["nomail@tavimor.lab"] = {"CN=Empty Group", "group", "nomail@tavimor.lab", "nomail", "", ""};
    const QString hidden = "\r\nSender: stranger@example.org";
    const QString ok = "Subject: s\r\nMessage-ID: <m@x>\r\nTo: excluded.in@tavimor.lab";
    const struct { const char* what; QByteArray mime; const char* logged; } cases[] = {
        // values copied from the message that break their line
        {"subject", journal::buildReport({"alice@tavimor.lab", "Hi" + hidden, "<m@x>", {"x@example.org"}, {}, {}}, original, "journal.archive@tavimor.lab"), "kept"},
        {"message id", journal::buildReport({"alice@tavimor.lab", "Hi", "<m@x>\n" + hidden, {"x@example.org"}, {}, {}}, original, "journal.archive@tavimor.lab"), "kept"},
        {"display name", journal::buildReport({"Alice\r" + hidden + " <alice@tavimor.lab>", "Hi", "<m@x>", {}, {}, {}}, original, "journal.archive@tavimor.lab"), "kept"},
        // envelopes outside the layout
        {"repeated sender", handMade("Sender: alice@tavimor.lab\r\n" + ok + "\r\nSender: stranger@example.org"), "repeats the field Sender"},
        {"foreign line", handMade("Sender: stranger@example.org\r\n" + ok + "\r\nX-Note: 1"), "outside its layout"},
        {"bad encoded word", handMade("Sender: =?utf-8?b?***?=\r\n" + ok), "names no single address"},
        {"not multipart", handMade("Sender: stranger@example.org\r\n" + ok).replace("multipart/mixed", "text/plain"), "not multipart/mixed"},
        {"no boundary", handMade("Sender: stranger@example.org\r\n" + ok).replace("; boundary=\"b1\"", ""), "not multipart/mixed"},
        {"no original", handMade("Sender: stranger@example.org\r\n" + ok).replace("message/rfc822", "text/plain"), "not message/rfc822"},
        // addresses read as RFC 5322 addresses, not split on commas
        {"comma name", handMade("Sender: \"Doe, Alice\" <alice@tavimor.lab>\r\n" + ok), "sender alice@tavimor.lab"},
        {"encoded name", handMade("Sender: =?utf-8?q?Doe=2C_Alice?= <ALICE@tavimor.lab>\r\n" + ok), "sender ALICE@tavimor.lab"},
        {"group note", handMade("Sender: x@example.org\r\n" + ok + "\r\nCc: \"Doe, A\" <alice@tavimor.lab>, Expanded: all@tavimor.lab"), "recipient alice@tavimor.lab"},
        {"unquoted comma", handMade("Sender: Doe, Alice <alice@tavimor.lab>\r\n" + ok), "sender alice@tavimor.lab"},
        {"quoted local part", handMade("Sender: x@example.org\r\n" + ok + "\r\nTo: \"A Q\" <\"alice q\"@tavimor.lab>"), "recipient \"alice q\"@tavimor.lab"},
        {"no address", handMade("Sender: x@example.org\r\n" + ok + "\r\nBcc: undisclosed-recipients:;"), "names no single address"},
        // parties that cannot be resolved for certain
        {"group without members", handMade("Sender: x@example.org\r\n" + ok + "\r\nTo: nomail@tavimor.lab"), "members of CN=Empty Group"},
        {"referral", handMade("Sender: referred@example.org\r\n" + ok), "cannot answer for referred@example.org"},
        // not a report at all
        {"not from the agent", handMade("Sender: stranger@example.org\r\n" + ok, "From: stranger@example.org\r\nTo: journal.archive@tavimor.lab\r\nX-MS-Journal-Report: \r\n"), ""},
        {"ordinary message", handMade("Sender: stranger@example.org\r\n" + ok, "From: postmaster@tavimor.lab\r\nTo: journal.archive@tavimor.lab\r\n"), ""},
    };
    fake.failing.insert("referred@example.org", sink::Status::Unavailable);
    for (const auto& c : cases) {
        log = {};
        EXPECT_EQ(run(withMime(c.mime)), Verdict::Keep) << c.what;
        const QString all = (log.infos + log.errors).join('\n');
        EXPECT_TRUE(*c.logged ? all.contains(c.logged) : all.isEmpty()) << c.what << ": " << all.toStdString();
    }
    // the same hand-made report, well formed, is dropped
    EXPECT_EQ(run(withMime(handMade("Sender: stranger@example.org\r\n" + ok))), Verdict::Drop);
}

TEST_F(Journaler, KeepsAReportWithMorePartiesThanItLooksUp) {
    QStringList many;
    for (int i = 0; i < sink::kMaxPartiesPerReport; ++i) many << QString("r%1@example.org").arg(i);
    EXPECT_EQ(run(report("stranger@example.org", many)), Verdict::Keep);
    EXPECT_EQ(fake.directoryCalls, 0);
    EXPECT_TRUE(log.errors.value(0).contains("more than 1000")) << log.errors.value(0).toStdString();
    // a group counts with its members
    fake.byAddress["big@tavimor.lab"] = {"CN=Big", "group", "big@tavimor.lab", "big", "", ""};
    fake.groups["CN=Big"].resize(sink::kMaxPartiesPerReport);
    EXPECT_EQ(run(report("stranger@example.org", {"big@tavimor.lab"})), Verdict::Keep);
    many.removeLast();
    EXPECT_EQ(run(report("stranger@example.org", many)), Verdict::Drop);
}

TEST_F(Journaler, KeepsWhenTheSenderOrARecipientIsJournaled) {
    const struct { const char* senderMarkers; const char* recipientMarkers; bool kept; } cases[] = {
        {"", "", true},
        {"###NoArcOut", "", true},
        {"", "###NoArcIn", true},
        {"###NoArcOut", "###NoArcIn", false},
        {"###NoArcIn", "###NoArcOut", true},  // the other direction's marker does not matter
        {"free text###NoArcOut", "value###NoArcIn###", false},  // read as the user list reads them
    };
    for (const auto& c : cases) {
        fake.user("alice", kJournaled, c.senderMarkers);
        fake.user("bob", kJournaled, c.recipientMarkers);
        log = {};
        const Verdict v = run(report("alice@tavimor.lab", {"Bob@Tavimor.lab"}));
        EXPECT_EQ(v, c.kept ? Verdict::Keep : Verdict::Drop) << c.senderMarkers << " / " << c.recipientMarkers;
        EXPECT_TRUE(log.errors.isEmpty());
        EXPECT_EQ(log.infos.size(), 1);
        EXPECT_TRUE(log.infos.value(0).startsWith(c.kept ? "kept " : "dropped ")) << log.infos.value(0).toStdString();
    }
}

TEST_F(Journaler, OnlyPartiesHomedOnAStoreJournaledIntoThisFolderCount) {
    fake.user("excluded.in", kJournaled, "###NoArcIn");
    fake.user("excluded.out", kJournaled, "###NoArcOut");
    fake.user("elsewhere", kOther);
    fake.user("unjournaled", kPlain);
    // outside sender, contact, other journal, no journal: none of them counts
    EXPECT_EQ(run(report("stranger@example.org", {"excluded.in@tavimor.lab"})), Verdict::Drop);
    EXPECT_EQ(run(report("excluded.out@tavimor.lab", {"partner@example.com", "elsewhere@tavimor.lab"},
                         {"unjournaled@tavimor.lab", "nobody@example.net"})),
              Verdict::Drop);
    // a Cc recipient counts like a To recipient
    EXPECT_EQ(run(report("stranger@example.org", {"elsewhere@tavimor.lab"}, {"excluded.out@tavimor.lab"})), Verdict::Keep);

    // a group's members each count on their own
    fake.byAddress["staff@tavimor.lab"] = {"CN=Staff,OU=Groups", "group", "staff@tavimor.lab", "staff", "", ""};
    fake.groups.insert("CN=Staff,OU=Groups", {fake.byAddress["excluded.in@tavimor.lab"], fake.byAddress["elsewhere@tavimor.lab"]});
    EXPECT_EQ(run(report("stranger@example.org", {"staff@tavimor.lab"})), Verdict::Drop);
    fake.groups["CN=Staff,OU=Groups"].push_back(fake.byAddress["excluded.out@tavimor.lab"]);
    EXPECT_EQ(run(report("stranger@example.org", {"staff@tavimor.lab"})), Verdict::Keep);

    // a public folder as journal recipient
    fake.user("pf.user", "CN=Public Journal Store");
    sink::SaveEvent e = report("pf.user@tavimor.lab", {"stranger@example.org"});
    e.folderOwner = "JOURNAL-FOLDER@tavimor.lab";
    e.folderIsPublic = true;
    EXPECT_EQ(run(e), Verdict::Keep);
    e.folderOwner = "sales-folder@tavimor.lab";
    EXPECT_EQ(run(e), Verdict::Drop);

    // an item that is no journal report is left alone
    sink::SaveEvent note = report("stranger@example.org", {"excluded.in@tavimor.lab"});
    note.item = {{"DAV:contentclass", 8, QString("urn:content-class:message")}};
    EXPECT_EQ(run(note), Verdict::Keep);
}

TEST_F(Journaler, ForwardsAKeptReportToEveryMemberOfAGroup) {
    fake.user("alice", kJournaled);
    fake.byAddress["legal-team@tavimor.lab"] = {"CN=Legal Team", "group", "legal-team@tavimor.lab", "legal-team", "", ""};
    const sink::DirObject noAddress{"CN=No Address", "contact", "", "", "", ""};  // skipped, and logged
    fake.groups.insert("CN=Legal Team", {noAddress, fake.byAddress["legal@tavimor.lab"], fake.byAddress["partner@example.com"]});
    const QString queue = "file://./backofficestorage/tavimor.lab/Outbound Queue";
    // A group's members are forwarded to one by one: a user into the inbox, an
    // outside address through the queue. A user, a public folder and an outside
    // address alone, with and without "Both", are forwarded to in a real store by
    // the journaling lab test.
    forwardTo = "legal-team@tavimor.lab";
    both = true;
    EXPECT_EQ(run(report("alice@tavimor.lab", {"stranger@example.org"})), Verdict::Keep);
    EXPECT_EQ(QStringList(fake.saved.keys()), QStringList({queue, fake.inboxes["legal"]}));
    ASSERT_EQ(fake.saved.value(queue).size(), 1u);
    EXPECT_EQ(sink::SaveEvent::valueOf(fake.saved.value(queue).at(0), "urn:schemas:mailheader:to"), "partner@example.com");
    for (const auto& [folder, items] : fake.saved.toStdMap())
        EXPECT_TRUE(sink::SaveEvent::valueOf(items.at(0), journal::kMimeProperty).contains("Sender: alice@tavimor.lab"));
    EXPECT_TRUE(log.errors.value(0).contains("CN=No Address of legal-team@tavimor.lab: the member has no address"));

    // when no member can receive it, the report stays in the journal folder
    fake.saved.clear();
    fake.groups["CN=Legal Team"] = {noAddress};
    both = false;
    EXPECT_EQ(run(report("alice@tavimor.lab", {"stranger@example.org"})), Verdict::Keep);
    EXPECT_TRUE(fake.saved.isEmpty());

    // a dropped report is not forwarded
    fake.user("alice", kJournaled, "###NoArcOut");
    EXPECT_EQ(run(report("alice@tavimor.lab", {"stranger@example.org"})), Verdict::Drop);
    EXPECT_TRUE(fake.saved.isEmpty());
}

TEST_F(Journaler, NeverLosesAReportWhenTheDirectoryOrAForwardFails) {
    fake.user("alice", kJournaled, "###NoArcOut");
    forwardTo = "legal@tavimor.lab";

    fake.directoryDown = true;
    EXPECT_EQ(run(report("alice@tavimor.lab", {"stranger@example.org"})), Verdict::Keep);
    ASSERT_EQ(log.errors.size(), 1);
    EXPECT_TRUE(log.errors[0].contains("the directory cannot answer")) << log.errors[0].toStdString();
    EXPECT_TRUE(fake.saved.isEmpty());

    fake.directoryDown = false;
    fake.user("alice", kJournaled);
    fake.failSavingIn = fake.inboxes["legal"];
    log = {};
    EXPECT_EQ(run(report("alice@tavimor.lab", {"stranger@example.org"})), Verdict::Keep);
    ASSERT_EQ(log.errors.size(), 1);
    EXPECT_TRUE(log.errors[0].contains("forwarding to legal@tavimor.lab failed")) << log.errors[0].toStdString();
}

TEST_F(Journaler, DirectoryAnswersAreKeptForAShortTimeButFailuresAreNot) {
    fake.user("alice", kJournaled);
    fake.user("bob", kJournaled, "###NoArcIn");
    qint64 now = 1000;
    sink::DirectoryCache cache(60000, [&] { return now; });
    cache.setBackend(&fake);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(sink::journal(report("alice@tavimor.lab", {"bob@tavimor.lab", "x@example.com"}), cache, log), Verdict::Keep);
    const int firstRun = fake.directoryCalls;
    EXPECT_LE(firstRun, 6);

    // A kept answer may keep a report too many; it never drops one: a drop waits
    // for the directory's stamp, and a changed stamp means fresh answers.
    const auto toBob = [&] { return sink::journal(report("alice@tavimor.lab", {"bob@tavimor.lab"}), cache, log); };
    const struct { const char* what; std::function<void()> change; qint64 later; bool down; Verdict v; } steps[] = {
        {"alice excluded", [&] { fake.user("alice", kJournaled, "###NoArcOut"); }, 0, false, Verdict::Keep},
        {"answers expired", [] {}, 60001, false, Verdict::Drop},
        {"directory down", [] {}, 60001, true, Verdict::Keep},
        {"excluded answers kept", [] {}, 60001, false, Verdict::Drop},
        {"alice journaled again", [&] { fake.user("alice", kJournaled), fake.stamp = "usn:2"; }, 0, false, Verdict::Keep},
        {"bob's store journals nothing", [&] { fake.user("alice", kJournaled, "###NoArcOut"), fake.user("bob", kPlain), fake.stamp = "usn:3"; }, 60001, false, Verdict::Drop},
        {"it journals here", [&] { fake.journals[kPlain] = fake.journals[kJournaled], fake.stamp = "usn:4"; }, 0, false, Verdict::Keep},
    };
    for (const auto& st : steps) {
        st.change();
        now += st.later;
        fake.directoryDown = st.down;
        EXPECT_EQ(toBob(), st.v) << st.what;
    }
}

// Journal reports as MIME: what is written is read back, and the original
// message travels unchanged as message/rfc822.
TEST(JournalReport, EnvelopeAndOriginalSurviveTheRoundTrip) {
    const journal::Envelope e{"jürgen.weiss@tavimor.lab", "Zoë's figures, part 2", "<abc.123@tavimor.lab>",
                              {"anna.abbott@tavimor.lab", "ben.hoffmann@tavimor.lab, Expanded: all-hands@tavimor.lab"},
                              {"partner@example.com"}, {"o'brien@tavimor.lab"}};
    const QByteArray original =
        journal::composeMessage(e.sender, {"anna.abbott@tavimor.lab"}, {}, e.subject, e.messageId, "Hello\n");
    const QByteArray mime = journal::buildReport(e, original, "journal.archive@tavimor.lab");

    const auto back = journal::readEnvelope(mime);
    ASSERT_TRUE(back.has_value()) << mime.constData();
    EXPECT_EQ(QStringList({back->sender, back->subject, back->messageId}), QStringList({e.sender, e.subject, e.messageId}));
    EXPECT_EQ(QList<QStringList>({back->to, back->cc, back->bcc}), QList<QStringList>({e.to, e.cc, e.bcc}));
    EXPECT_TRUE(mime.contains("Content-Type: message/rfc822"));
    // an ordinary message is no report
    EXPECT_FALSE(journal::readEnvelope(original).has_value());
    EXPECT_FALSE(journal::readEnvelope("garbage without headers").has_value());
}

}  // namespace
