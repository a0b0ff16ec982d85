// The milter in front of the lab's Postfix (lab/lab mail start): messages sent
// over SMTP to 127.0.0.1:10027, whose milter each test starts on 10029, or to
// 10030, whose milter is on the lab's local socket (where Postfix streams a
// message without waiting for each step's answer), with a store and catalog of
// its own (the sink installed, the journal registered).

#include "journal/JournalReport.h"
#include "lab/platform_store/TempStore.h"
#include "platform/store/Store.h"
#include "store/Registration.h"
#include "storetool/Listing.h"
#include "storetool/StoreEnvironment.h"
#include "support/Lab.h"
#include "support/TempCatalog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::ldapsearchValues;
using testing_support::labEnv;

namespace {

class MilterLab : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        environment.set("TAVIMOR_COMPLUS_CATALOG", catalog.path().toUtf8());
        platform::complus::Catalog c = catalog.open();
        c.InstallComponent(testing_support::addApp(c, "Tavimor"), testing_support::sinkLibrary(), {}, {});
        const QString home = ldapsearchValues("(cn=Journal Archive)", "homeMDB").value(0);
        parties = ldapsearchValues("(&(homeMDB=" + testing_support::filterValue(home) +
                                       ")(!(extensionAttribute10=*))(userAccountControl=512)(!(cn=Journal*)))", "mail");
        ASSERT_GE(parties.size(), 4);
        testsupport::StoreBuilder b(testsupport::TempStore::domain());
        b.ensureMailbox("journal.archive");
        for (const QString& p : parties) b.ensureMailbox(p.section('@', 0, 0));
        b.commit();
        auto env = storetool::StoreEnvironment::open(true);
        store::CreateRegItem(env->context(), "CN=Journal Archive,OU=Journal," + testing_support::labBase(), {}, false);
        // Started as root the milter becomes tavimor-milter: what it uses is that user's.
        if (::geteuid() == 0) {
            QFile::copy(labEnv("TAVIMOR_BIND_PASSWORD_FILE"), secrets.filePath("bind.pw"));
            QFile::copy(labEnv("LDAPTLS_CACERT"), secrets.filePath("ca.pem"));
            QProcess::execute("chown", {"-R", "tavimor-milter:", store.root(), catalog.dir.path(), secrets.path()});
        }
    }
    void TearDown() override { stop(); }

    void start(const QStringList& options, const QString& ldapUri = labEnv("LDAPURI")) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("LDAPURI", ldapUri);
        e.insert("TAVIMOR_SINK_CACHE_SECONDS", "0");
        QStringList args{"-f", "-p", local ? "unix:" + labEnv("LAB_MILTER_LOCAL_SOCKET") : "inet:10029@127.0.0.1"};
        if (::geteuid() == 0) {
            e.insert("TAVIMOR_BIND_PASSWORD_FILE", secrets.filePath("bind.pw"));
            e.insert("LDAPTLS_CACERT", secrets.filePath("ca.pem"));
            args << "-u" << "tavimor-milter";
        }
        milter.setProcessEnvironment(e);
        milter.setProcessChannelMode(QProcess::MergedChannels);
        milter.start(QString(TAVIMOR_BUILD_DIR) + "/tavimor-milter", args + options);
        milter.waitForStarted(10000);
        QElapsedTimer t;
        for (t.start(); !log.contains("serving on") && t.elapsed() < 20000 && milter.state() == QProcess::Running;)
            if (milter.waitForReadyRead(500)) log += milter.readAll();
        ASSERT_TRUE(log.contains("serving on")) << log.toStdString();
    }
    void stop() {
        if (milter.state() == QProcess::NotRunning) return;
        milter.terminate();
        milter.waitForFinished(20000);
        log += milter.readAll();
    }
    // The SMTP answer to one message: "250 ..." or "451 ...".
    QString send(const QString& id, const QString& from, const QStringList& to, const QByteArray& body = "Hello.\r\n") {
        QProcess p;
        p.start("python3", QStringList{QString(TAVIMOR_SOURCE_DIR) + "/tests/support/smtp_send.py",
                                       local ? "10030" : "10027", from} + to);
        p.write("From: " + from.toUtf8() + "\r\nTo: someone@example.org\r\nSubject: Figures " + id.toUtf8() +
                "\r\nMessage-ID: " + messageId(id).toUtf8() + "\r\n\r\n" + body);
        p.closeWriteChannel();
        p.waitForFinished(150000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // Whether a copy of the message reached `rcpt` (Postfix delivers on its own time).
    // Unique to the run: the lab's Maildir keeps earlier runs' mail.
    QString messageId(const QString& id) const { return "<" + id + "." + run + "@example.org>"; }
    bool delivered(const QString& id, const QString& rcpt, int waitMs = 20000) {
        QElapsedTimer t;
        for (t.start();; QThread::msleep(200)) {
            for (const QFileInfo& f : QDir(labEnv("LAB_MAIL_MAILDIR") + "/new").entryInfoList(QDir::Files)) {
                QFile file(f.filePath());
                file.open(QIODevice::ReadOnly);
                const QByteArray m = file.read(200000);
                if (m.contains(messageId(id).toUtf8()) && m.contains("Delivered-To: " + rcpt.toUtf8())) return true;
            }
            if (t.elapsed() > waitMs) return false;
        }
    }
    // The journal folder's reports by the Message-ID of their original (read with the milter stopped).
    QMap<QString, QByteArray> reports() {
        stop();
        QMap<QString, QByteArray> out;
        const QString folder = testsupport::TempStore::file("mbx/journal.archive/Inbox");
        for (const QString& line : storetool::listFolder(folder)) {
            platform::store::StoreRecord r;
            r.open(folder + "/" + line.section('\t', 0, 0));
            const QByteArray mime = r.field(journal::kMimeProperty).toString().toUtf8();
            if (const auto e = journal::readEnvelope(mime)) out.insert(e->messageId, mime);
        }
        return out;
    }

    testsupport::TempStore store;
    testing_support::TempCatalog catalog;
    QTemporaryDir secrets;
    QStringList parties;
    testing_support::AttributeKeeper attributes;
    testing_support::EnvScope environment;
    QProcess milter;
    bool local = false;  // the local socket, else TCP
    QString log;
    const QString run = QUuid::createUuid().toString(QUuid::Id128);
};

TEST_F(MilterLab, ReportsKeptAndDroppedAsTheMarkersSayABccRecipientCountsAndTheOriginalArrives) {
    local = true;
    attributes.write(testing_support::dnOfMail(parties[1]), "extensionAttribute10", "###NoArcOut");
    attributes.write(testing_support::dnOfMail(parties[3]), "extensionAttribute10", "###NoArcIn");
    start({"--max-size", "1"});
    const QString outside = "someone@example.org";
    const struct { QString id, from; QStringList to; bool kept; QByteArray body; } cases[] = {
        {"journaled-sender", parties[0], {outside}, true, "x\r\n"},
        {"excluded-sender", parties[1], {outside}, false, "x\r\n"},
        {"bcc-recipient", outside, {outside, parties[2]}, true, "x\r\n"},  // the headers name only the outsider
        {"excluded-recipient", outside, {parties[3]}, false, "x\r\n"},
        {"oversize", parties[0], {outside}, true, QByteArray(1200000, 'y') + "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(send(c.id, c.from, c.to, c.body).startsWith("250")) << c.id.toStdString();
        for (const QString& rcpt : c.to) EXPECT_TRUE(delivered(c.id, rcpt)) << c.id.toStdString() << " " << rcpt.toStdString();
    }
    const auto kept = reports();
    for (const auto& c : cases) EXPECT_EQ(kept.contains(messageId(c.id)), c.kept) << c.id.toStdString() << log.toStdString();
    EXPECT_TRUE(kept.value(messageId("bcc-recipient")).contains(parties[2].toUtf8()));
    const QByteArray big = kept.value(messageId("oversize"));
    EXPECT_TRUE(big.contains("Subject: Figures oversize") && big.contains("Only its header fields were journaled"));
    EXPECT_LT(big.size(), 100000);
}

TEST_F(MilterLab, DirectoryDownAnswers4xxAndNothingIsLostUnlessAcceptIsChosen) {
    start({"--workers", "2"}, "ldap://127.0.0.1:9");
    const QString answer = send("while-down", parties[0], {"someone@example.org"});
    EXPECT_TRUE(answer.startsWith("451") && answer.contains("Journaling unavailable")) << answer.toStdString();
    stop();
    start({"--on-failure", "accept"}, "ldap://127.0.0.1:9");
    EXPECT_TRUE(send("accepted-unjournaled", parties[0], {"someone@example.org"}).startsWith("250"));
    EXPECT_TRUE(delivered("accepted-unjournaled", "someone@example.org"));
    stop();
    EXPECT_TRUE(log.contains("ACCEPTED UNJOURNALED")) << log.toStdString();
    EXPECT_TRUE(log.contains("cannot open the store or the directory yet")) << log.toStdString();  // said at start
    // the sender's retry, with the directory back, is journaled and delivered
    start({});
    EXPECT_TRUE(send("while-down", parties[0], {"someone@example.org"}).startsWith("250"));
    EXPECT_TRUE(delivered("while-down", "someone@example.org"));
    EXPECT_FALSE(delivered("accepted-unjournaled", "nobody@example.org", 0));
    EXPECT_EQ(reports().keys(), QStringList{messageId("while-down")});
}

}  // namespace
