// tavimorctl against the lab, run as a program (bounded waits), beside the
// window wired as the program runs it: what it reads is what the window shows,
// its changes go through the window's Change, and what it refuses it leaves
// unwritten. Every test puts the directory, the store and the catalog back.

#include "complus/ComPlus.h"
#include "engine/StoreTree.h"
#include "lab/gui/window_lab.h"
#include "rules/Markers.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testing_support;

namespace {

const QString kMarkers = QStringLiteral("extensionAttribute10");

struct Result {
    int code = -1;
    QString out, err;
};

class CtlLab : public WindowLabTest {
protected:
    // tavimorctl with the test's environment (its catalog), on the lab's server.
    Result ctl(QStringList args) {
        if (!args.contains("--server")) args << "--server" << labEnv("LAB_EXCHANGE_SERVER");
        QProcess p;
        p.start(QStringLiteral(TAVIMOR_BUILD_DIR "/tavimorctl"), args);
        Result r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished(5000);
            ADD_FAILURE() << "tavimorctl did not end: " << args.join(' ').toStdString();
            return r;
        }
        r = {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
             QString::fromUtf8(p.readAllStandardError())};
        return r;
    }
    void installComPlus() {
        state::MemoryErrorLog log;
        state::Globals g;
        ASSERT_EQ(complus::ComPlus(log, g, probes).InstallComPlusApp("Tavimor", "", "", ""), 1) << log.text().toStdString();
    }
    static QString mailboxStore() { return "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")"; }
    static QString sharedArchive() { return "CN=Shared Archive,OU=Journal," + labBase(); }
    QString marker(const QString& alias) { return attributeAt(userDn(alias), kMarkers).value_or("(none)"); }
    // The first user of a store as tavimorctl lists it.
    QString firstUserOf(const QString& store) {
        const Result r = ctl({"users", store, "--csv"});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return r.out.section('\n', 1, 1).section(',', 0, 0);
    }
    QJsonObject json(const Result& r) {
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    QJsonObject storeJsonOf(const QString& dn) {
        for (const QJsonValue g : json(ctl({"stores", "--json"}))["storageGroups"].toArray())
            for (const QJsonValue s : g["stores"].toArray())
                if (s["dn"].toString().compare(dn, Qt::CaseInsensitive) == 0) return s.toObject();
        return {};
    }
};

// Every store as the window's tree shows it: group, name, mode from its
// picture, its journal and forwarding children.
QJsonArray storesOfWindow(QTreeWidget* tree) {
    QJsonArray stores;
    tree::forEachNode(tree, [&](QTreeWidgetItem* n) {
        if (!tree::isMailboxStore(n)) return;
        const tree::StoreSettings s = tree::settings(n);
        const QString image = tree::image(n);
        const QJsonValue journal = n->childCount() > 0 ? QJsonValue(tree::text(n->child(0))) : QJsonValue();
        const QJsonValue forward = n->childCount() > 1 ? QJsonValue(tree::text(n->child(1))) : QJsonValue();
        stores.append(QJsonObject{{"group", tree::text(n->parent())}, {"name", tree::text(n)}, {"dn", tree::key(n)},
                                  {"mode", image.endsWith("Tavimor") ? "tavimor" : image.endsWith("Journaling") ? "full" : "disabled"},
                                  {"journal", journal}, {"forward", forward}, {"both", s.both}});
    });
    return stores;
}

QJsonArray storesOfCtl(const QJsonObject& o) {
    QJsonArray stores;
    for (const QJsonValue g : o["storageGroups"].toArray())
        for (const QJsonValue v : g["stores"].toArray()) {
            const QJsonObject s = v.toObject();
            stores.append(QJsonObject{{"group", g["name"]}, {"name", s["name"]}, {"dn", s["dn"]}, {"mode", s["mode"]},
                                      {"journal", s["journalMailbox"].toObject()["name"]},
                                      {"forward", s["forwarding"].toObject()["name"]}, {"both", s["both"]}});
        }
    return stores;
}

// The store's files (paths, sizes, times) and the catalog's bytes.
QStringList storeAndCatalog(const QString& catalog) {
    QStringList state;
    QDirIterator it(labEnv("TAVIMOR_STORE_ROOT"), QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        state << f.filePath() + ' ' + QString::number(f.size()) + ' ' + QString::number(f.lastModified().toMSecsSinceEpoch());
    }
    state.sort();
    QFile file(catalog);
    state << (file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex()) : QStringLiteral("no catalog"));
    return state;
}

TEST_F(CtlLab, StoresJsonAfterAWindowChangeIsWhatTheTreeShows) {
    installComPlus();
    open();
    const QString user = firstUserOf("Shared Journal A");
    attributes.keep(dnOfMail(user), kMarkers);
    registered << sharedArchive();
    tree::NodeClick(form->storeLoad(), node("Second Storage Group", "Shared Journal A"));
    const panel::UserRow* row = form->panel().user(user);
    ASSERT_NE(row, nullptr);
    form->panel().setSwitch(static_cast<size_t>(row - form->panel().users().data()), 2, false);
    form->Command1_Click();
    ASSERT_EQ(form->errorLog().text(), "");
    // The Change made the store per-user (marker and registration item written).
    EXPECT_EQ(tree::image(node("Second Storage Group", "Shared Journal A")), "mailboxstoreTavimor");

    const QJsonArray shown = storesOfWindow(ui().TreeView1);
    ASSERT_EQ(shown.size(), 6);
    EXPECT_EQ(storesOfCtl(json(ctl({"stores", "--json"}))), shown);
    // the text form names every store with its mode
    const Result text = ctl({"stores"});
    EXPECT_TRUE(text.out.contains(QRegularExpression("Shared Journal A +tavimor +journal: Shared Archive"))) << text.out.toStdString();
}

TEST_F(CtlLab, SetThenUsersRoundTripsThroughTheDirectory) {
    const QStringList aliases{"marker.none", "marker.freetext", "marker.both", "marker.in"};
    for (const QString& a : aliases) attributes.keep(userDn(a), kMarkers);
    QTemporaryFile csv;
    ASSERT_TRUE(csv.open());
    csv.write("address,in,out\n" + mailOf("marker.none").toUtf8() + ",off,\n\"" + mailOf("marker.freetext").toUtf8() +
              "\",off,on\n# a comment\n" + mailOf("marker.both").toUtf8() + ",on,on\n");
    csv.close();
    QTemporaryDir trail;
    qputenv("TAVIMOR_AUDIT_FILE", QFile::encodeName(trail.filePath("audit.jsonl")));
    const QString start = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    Result r = ctl({"set", "First Storage Group/" + mailboxStore(), "--users-from", csv.fileName(), "--user",
                    mailOf("marker.in"), "--in", "on"});
    const Result audit = ctl({"audit", "--json", "--since", start});
    qunsetenv("TAVIMOR_AUDIT_FILE");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(marker("marker.none"), "###NoArcIn");
    EXPECT_EQ(marker("marker.freetext"), "free text###NoArcIn");
    // Each write is in the audit trail with what it replaced, as tavimorctl's.
    QStringList written;
    for (const QJsonValue e : QJsonDocument::fromJson(audit.out.toUtf8()).array())
        if (e["program"] == "tavimorctl" && e["action"] == "marker")
            written << e["object"].toString() + ": " + e["before"].toString() + " -> " + e["after"].toString() + " " +
                           e["result"].toString();
    EXPECT_TRUE(written.contains(mailOf("marker.freetext") + ": free text###NoArcOut -> free text###NoArcIn done"))
        << audit.out.toStdString() << audit.err.toStdString();
    EXPECT_EQ(written.size(), 4) << written.join('\n').toStdString();
    EXPECT_EQ(marker("marker.both"), "(none)");
    EXPECT_EQ(marker("marker.in"), "(none)");

    // `users` reads them back as the list reads markers, in the CSV `set` takes.
    const QJsonObject listed = json(ctl({"users", mailboxStore(), "--json"}));
    QHash<QString, QPair<bool, bool>> switches;
    for (const QJsonValue u : listed["users"].toArray())
        switches.insert(u["address"].toString(), {u["ingoing"].toBool(), u["outgoing"].toBool()});
    EXPECT_EQ(switches.value(mailOf("marker.none")), qMakePair(false, true));
    EXPECT_EQ(switches.value(mailOf("marker.freetext")), qMakePair(false, true));
    EXPECT_EQ(switches.value(mailOf("marker.both")), qMakePair(true, true));
    EXPECT_EQ(switches.value(mailOf("marker.out")), qMakePair(true, false));
    const Result asCsv = ctl({"users", mailboxStore(), "--csv"});
    EXPECT_TRUE(asCsv.out.contains(mailOf("marker.none") + ",off,on,Marker None,no\n")) << asCsv.out.toStdString();
    // ... so that its own CSV sets nothing new
    QTemporaryFile again;
    ASSERT_TRUE(again.open());
    again.write(asCsv.out.toUtf8());
    again.close();
    r = ctl({"set", mailboxStore(), "--users-from", again.fileName()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Nothing to change.\n");
}

TEST_F(CtlLab, DryRunPrintsThePlanAndLeavesDirectoryStoreAndCatalogUnchanged) {
    // No catalog yet: reading it must not make one.
    const QString catalog = qEnvironmentVariable("TAVIMOR_COMPLUS_CATALOG");
    const QString user = firstUserOf("Shared Journal A");
    const QString before = attributeAt(dnOfMail(user), kMarkers).value_or("(none)");
    const QStringList untouched = storeAndCatalog(catalog);
    Result r = ctl({"complus", "install", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("remove COM+ application \"Tavimor\"\ninstall COM+ application \"Tavimor\"\n")) << r.out.toStdString();
    r = ctl({"set", "Shared Journal A", "--user", user, "--out", "off", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("extensionAttribute10 of \"" + user + "\": " + (before == "(none)" ? before : '"' + before + '"') +
                               " -> \"###NoArcOut\"\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("create the registration item in \"" + sharedArchive() + "\"")) << r.out.toStdString();
    r = ctl({"journal", mailboxStore(), "--mailbox", mailOf("zoe.adams"), "--dry-run"});
    EXPECT_TRUE(r.out.contains("journal recipient of \"" + storeDn("First Storage Group", mailboxStore()) + "\": set \"" +
                               userDn("zoe.adams") + "\"")) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(attributeAt(dnOfMail(user), kMarkers).value_or("(none)"), before);
    EXPECT_EQ(attributeAt(storeDn("First Storage Group", mailboxStore()), kJournalRecipient), std::nullopt);
    EXPECT_EQ(storeAndCatalog(catalog), untouched);
}

// Change asks before it replaces the registration item of a journal mailbox
// other stores share: without --shared that question has no answer.
TEST_F(CtlLab, TheSharingQuestionWithoutSharedIsRefusedAndWritesNothing) {
    installComPlus();
    open();
    QString tag;
    registered << sharedArchive();
    store::CreateRegItem(registration(tag), sharedArchive(), "", false);
    const QString user = firstUserOf("Shared Journal B");
    attributes.keep(dnOfMail(user), kMarkers);
    const QString before = marker(user.section('@', 0, 0));

    Result r = ctl({"set", "Shared Journal B", "--user", user, "--out", "off"});
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(r.err.contains("--shared keep")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Second Storage Group/Shared Journal A")) << r.err.toStdString();
    EXPECT_EQ(attributeAt(dnOfMail(user), kMarkers).value_or("(none)"), before);

    r = ctl({"set", "Shared Journal B", "--user", user, "--out", "off", "--shared", "keep"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("not done: remove the registration item from \"" + sharedArchive() +
                               "\" if it holds one and the answer is Yes (answered No)")) << r.out.toStdString();
    EXPECT_EQ(attributeAt(dnOfMail(user), kMarkers), "###NoArcOut");
    EXPECT_TRUE(store::CheckRegItem(registration(tag), sharedArchive()));
}

TEST_F(CtlLab, JournalAndForwardWriteTheStoreAndStoresShowsThem) {
    installComPlus();
    const QString store = storeDn("First Storage Group", mailboxStore());
    attributes.keep(store, kJournalRecipient);
    registered << userDn("zoe.adams");
    Result r = ctl({"journal", store, "--mailbox", mailOf("zoe.adams")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = ctl({"forward", store, "--to", "partner@example.com", "--both", "on"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QJsonObject shown = storeJsonOf(store);
    EXPECT_EQ(shown["mode"], "tavimor");
    EXPECT_EQ(shown["journalMailbox"].toObject()["name"], "Zoë Adams");
    EXPECT_EQ(shown["forwarding"].toObject()["text"], "External Partner <partner@example.com>");
    EXPECT_EQ(shown["both"], true);
    r = ctl({"journal", store, "--none"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(attributeAt(store, kJournalRecipient), std::nullopt);
    EXPECT_EQ(storeJsonOf(store)["mode"], "disabled");
    // forwarding needs a journal mailbox
    r = ctl({"forward", store, "--to", "partner@example.com"});
    EXPECT_EQ(r.code, 4);
}

TEST_F(CtlLab, ComplusInstallsAndRemovesTheApplicationThroughChange) {
    const auto installed = [this] {
        state::MemoryErrorLog log;
        state::Globals g;
        QString identity;
        return complus::ComPlus(log, g, probes).CheckComPlusApp("Tavimor", identity);
    };
    Result r = ctl({"complus", "install", "--store", mailboxStore()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("done: install COM+ application \"Tavimor\"\n")) << r.out.toStdString();
    EXPECT_TRUE(installed());
    EXPECT_EQ(ctl({"complus", "install", "--store", mailboxStore()}).out, "The COM+ application \"Tavimor\" is installed already.\n");
    r = ctl({"complus", "remove", "--store", mailboxStore()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(installed());
}

TEST_F(CtlLab, ReportListsEveryExcludedUserWithServerAndStore) {
    QSet<QString> excluded;
    const QString filter = "(&(objectCategory=person)(homeMDB=*)(msExchMailboxGuid=*)(mail=*)(extensionAttribute10=*))";
    const QStringList mails = ldapsearchValues(filter, "mail"), values = ldapsearchValues(filter, kMarkers);
    ASSERT_EQ(mails.size(), values.size());
    for (int i = 0; i < mails.size(); ++i)
        if (rules::readMarkers(values[i]).anyOff()) excluded.insert(mails[i].toLower());
    const QJsonArray users = json(ctl({"report", "--json"}))["users"].toArray();
    QSet<QString> reported;
    for (const QJsonValue u : users) reported.insert(u["address"].toString().toLower());
    EXPECT_EQ(reported, excluded);
    for (const QJsonValue u : users)
        if (u["address"] == mailOf("marker.in")) {
            EXPECT_EQ(u["server"], labEnv("LAB_EXCHANGE_SERVER"));
            EXPECT_EQ(u["store"], mailboxStore());
            EXPECT_EQ(u["ingoing"], false);
            EXPECT_EQ(u["outgoing"], true);
        }
}

TEST_F(CtlLab, NamesAndArgumentsItCannotUseEndWithUsageOrRefusal) {
    Result r = ctl({"users", "Journaled Store"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("First Storage Group/Journaled Store") && r.err.contains("Second Storage Group/Journaled Store"))
        << r.err.toStdString();
    EXPECT_EQ(ctl({"users", "Second Storage Group/journaled store"}).code, 0);
    EXPECT_EQ(ctl({"users", "No Such Store"}).code, 2);
    EXPECT_EQ(ctl({"set", mailboxStore(), "--in", "off"}).code, 2);
    EXPECT_EQ(ctl({"set", mailboxStore(), "--user", "nobody@tavimor.lab", "--in", "off"}).code, 2);
    EXPECT_EQ(ctl({"frobnicate"}).code, 2);
    // A FIFO is refused at once, never waited on.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("users");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    r = ctl({"set", mailboxStore(), "--users-from", fifo});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
    // A server that is none of the organisation's is refused, naming them.
    r = ctl({"stores", "--server", "nosuchserver"});
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(r.err.contains("EVS01") && r.err.contains(labEnv("LAB_EXCHANGE_SERVER"))) << r.err.toStdString();
    environment.set("TAVIMOR_SERVER", "nosuchserver");
    EXPECT_EQ(ctl({"stores", "--server", ""}).code, 4);
    EXPECT_TRUE(ctl({"--version"}).out.startsWith("tavimorctl "));
    r = ctl({"set", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: tavimorctl set [options] STORE\n") && r.out.contains("--users-from")) << r.out.toStdString();
    // No directory: exit 3.
    environment.set("LDAPURI", "ldap://127.0.0.1:1");
    r = ctl({"stores"});
    EXPECT_EQ(r.code, 3) << r.err.toStdString();
}

// Runs deny_writes.py: every property write on `dn` is denied, or allowed again.
bool denyWrites(const QString& dn, const char* action) {
    QProcess p;
    p.start("/usr/bin/python3", {TAVIMOR_SOURCE_DIR "/tests/lab/ctl/deny_writes.py", dn, action});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// A user whose marker the directory refuses is named; the others are written.
TEST_F(CtlLab, UsersNotWrittenAreNamedAndTheExitCodeSaysSo) {
    const Result listed = ctl({"users", "Public Journal Store", "--csv"});
    const QString denied = listed.out.section('\n', 1, 1).section(',', 0, 0);
    const QString written = listed.out.section('\n', 2, 2).section(',', 0, 0);
    for (const QString& mail : {denied, written}) attributes.keep(dnOfMail(mail), kMarkers);
    ASSERT_TRUE(denyWrites(dnOfMail(denied), "deny"));
    const Result r = ctl({"set", "Public Journal Store", "--user", denied, "--user", written, "--in", "off"});
    EXPECT_TRUE(denyWrites(dnOfMail(denied), "allow"));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("not written: " + denied + ": Access is denied.")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("not written: " + written)) << r.err.toStdString();
    EXPECT_EQ(attributeAt(dnOfMail(written), kMarkers), "###NoArcIn");
}

}  // namespace
