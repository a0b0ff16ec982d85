// The directory layer's own rules about its surroundings, without a server:
// the password file, SRV answers of any size and the order of their targets,
// the hosts a referral may take credentials to, what libldap is allowed to
// read at start, a server that pages for ever, and TLS handshakes that hang in
// several threads.

#include "platform/directory/DomainControllers.h"
#include "platform/directory/Paging.h"
#include "platform/directory/PasswordFile.h"
#include "platform/directory/Session.h"
#include "platform/directory/SrvRecords.h"
#include "platform/directory/TlsWatchdog.h"
#include "support/FaultProxy.h"
#include "support/Thrown.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ldap.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::directory;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& content, int mode) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    f.close();
    ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode));
    return path;
}

QString refusal(const QString& path) {
    Secret s;
    return testing_support::thrown([&] { readPasswordFile(path, s); }).description;
}

QStringList hosts(const std::vector<SrvTarget>& targets) {
    QStringList out;
    for (const SrvTarget& t : targets) out << t.host;
    return out;
}

}  // namespace

TEST(PasswordFile, AnOwnerOnlyFileIsReadWithoutItsLineEnd) {
    QTemporaryDir dir;
    Secret s;
    readPasswordFile(write(dir, "pw", "s3cret\r\n", 0600), s);
    EXPECT_EQ(QByteArray(s.data(), static_cast<qsizetype>(s.size())), "s3cret");
    readPasswordFile(write(dir, "ro", "x", 0400), s);
    EXPECT_EQ(QByteArray(s.data(), static_cast<qsizetype>(s.size())), "x");
}

TEST(PasswordFile, EveryUnsafeOrUselessFileIsRefusedSayingWhy) {
    QTemporaryDir dir;
    const QString good = write(dir, "good", "pw", 0600);
    ASSERT_EQ(::symlink(QFile::encodeName(good).constData(), QFile::encodeName(dir.filePath("link")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder");

    // A FIFO without a writer answers at once instead of waiting for one.
    EXPECT_TRUE(refusal(dir.filePath("fifo")).contains("not a regular file"));
    EXPECT_TRUE(refusal(dir.filePath("link")).contains("symbolic link"));
    EXPECT_TRUE(refusal(dir.filePath("folder")).contains("not a regular file"));
    EXPECT_TRUE(refusal(write(dir, "group", "pw", 0640)).contains("0640"));
    EXPECT_TRUE(refusal(write(dir, "world", "pw", 0604)).contains("0600 or stricter"));
    EXPECT_TRUE(refusal(write(dir, "empty", "", 0600)).contains("empty"));
    EXPECT_TRUE(refusal(write(dir, "blank", "\n", 0600)).contains("empty"));
    EXPECT_TRUE(refusal(write(dir, "big", QByteArray(kMaxPasswordFileSize + 1, 'a'), 0600)).contains("larger"));
    EXPECT_TRUE(refusal(dir.filePath("missing")).startsWith("The password file " + dir.filePath("missing")));
    if (::geteuid() == 0) {
        const QString other = write(dir, "other", "pw", 0600);
        ASSERT_EQ(::chown(QFile::encodeName(other).constData(), 65534, 65534), 0);
        EXPECT_TRUE(refusal(other).contains("another user"));
    }
}

TEST(SrvRecords, TargetsAreTriedByPriorityThenByAWeightedDraw) {
    const std::vector<SrvTarget> records{{"dc3.tavimor.lab", 389, 10, 0},
                                         {"dc1.tavimor.lab", 389, 0, 10},
                                         {"dc2.tavimor.lab", 3890, 0, 90}};
    // The draw is the RFC's running sum: 0..10 picks dc1, 11..100 picks dc2.
    EXPECT_EQ(hosts(orderSrvTargets(records, [](uint32_t) { return 5u; })),
              (QStringList{"dc1.tavimor.lab", "dc2.tavimor.lab", "dc3.tavimor.lab"}));
    EXPECT_EQ(hosts(orderSrvTargets(records, [](uint32_t max) { return max; })),
              (QStringList{"dc2.tavimor.lab", "dc1.tavimor.lab", "dc3.tavimor.lab"}));
    // "." alone: the domain offers no such service.
    EXPECT_TRUE(orderSrvTargets({{".", 0, 0, 0}}, [](uint32_t) { return 0u; }).empty());
}

TEST(Referrals, OnlyNamesUnderTheForestsDomainsMayReceiveCredentials) {
    const QStringList forest{"tavimor.lab", "child.tavimor.lab", "other-tree.example"};
    for (const char* host : {"dc1.tavimor.lab", "TAVIMOR.LAB.", "dc.other-tree.example"})
        EXPECT_TRUE(isHostUnderDomains(host, forest)) << host;
    for (const char* host : {"tavimor.lab.evil.example", "eviltavimor.lab", "127.0.0.1", ""})
        EXPECT_FALSE(isHostUnderDomains(host, forest)) << host;
}

// libldap reads its configuration once per process, so each case runs in a
// fresh process started in a folder that holds a planted "ldaprc".
class LdapStart : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    // Exits 0 when the servers found are exactly `expected` ("" for none configured).
    [[noreturn]] static void discoverFrom(const QString& homeRc, const QString& expected) {
        QTemporaryDir work, home;
        QFile planted(work.filePath("ldaprc"));
        planted.open(QIODevice::WriteOnly);
        planted.write("URI ldap://planted.invalid\n");
        planted.close();
        if (!homeRc.isEmpty()) {
            QFile rc(home.filePath(".ldaprc"));
            rc.open(QIODevice::WriteOnly);
            rc.write(homeRc.toUtf8());
            rc.close();
        }
        qunsetenv("LDAPURI");
        qunsetenv("LDAPRC");
        qputenv("HOME", home.path().toUtf8());
        qputenv("LDAPCONF", "/nonexistent/ldap.conf");
        if (::chdir(QFile::encodeName(work.path()).constData()) != 0) std::_Exit(3);
        QString found;
        try {
            for (const ServerAddress& s : domainControllers()) found += s.host + u' ';
        } catch (const platform::ComError& e) {
            found = e.description() == noDirectoryConfiguredText() ? QString() : e.description();
        }
        std::_Exit(found.trimmed() == expected ? 0 : 1);
    }
};

TEST_F(LdapStart, TheUsersLdaprcAppliesButNotTheOneInTheWorkingFolder) {
    EXPECT_EXIT(discoverFrom("URI ldap://home.example\n", "home.example"), ::testing::ExitedWithCode(0), "");
}

TEST_F(LdapStart, WithoutAnyServerConfiguredNothingFallsBackToLocalhost) {
    QFile system("/etc/ldap/ldap.conf");
    if (system.open(QIODevice::ReadOnly) && QString::fromUtf8(system.readAll()).contains(QRegularExpression("(?m)^\\s*URI\\s")))
        GTEST_SKIP() << "this machine's ldap.conf names a server";
    EXPECT_EXIT(discoverFrom(QString(), QString()), ::testing::ExitedWithCode(0), "");
}

TEST(SrvLookup, AnswersOfAnySizeAreReadWholeOverUdpOrAfterTruncationOverTcp) {
    for (int records : {3, 1450}) {  // 1450 targets take some 50 KiB
        QProcess dns;
        dns.start("python3", {TAVIMOR_SOURCE_DIR "/tests/support/scripted_dns.py", QString::number(records)});
        ASSERT_TRUE(dns.waitForReadyRead(10000));
        const QString server = "127.0.0.1:" + QString::fromLatin1(dns.readLine()).trimmed();
        const QStringList found = hosts(lookupSrv("_ldap._tcp.big.test", server));
        dns.closeWriteChannel();
        dns.waitForFinished(10000);
        EXPECT_EQ(dns.readAll().contains("tcp"), records > 3);
        EXPECT_EQ(QSet<QString>(found.cbegin(), found.cend()).size(), records);
    }
}

TEST(PagedSearch, EndsOnAnEmptyPageAndStopsWithAnErrorOnAnyEarlierPageAgainOrPastItsBudget) {
    PageGuard guard(0, 100);
    for (const PageMark& page : {PageMark{"c1", "CN=a"}, PageMark{"c1", "CN=b"}, PageMark{"c2", "CN=c"}})
        EXPECT_FALSE(guard.ends(true, page, "dc"));  // Samba keeps one cookie for a whole search
    EXPECT_NE(testing_support::errorOf([&] { guard.ends(true, {"c1", "CN=a"}, "dc"); }), 0);  // two cookies in turn
    EXPECT_TRUE(PageGuard(0, 100).ends(false, {"c1", ""}, "dc"));
    PageGuard limited(300, 100);  // twice the 3 pages the limit needs, and one
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(limited.ends(true, {QByteArray::number(i), "CN=x"}, "dc"));
    EXPECT_TRUE(testing_support::thrown([&] { limited.ends(true, {"7", "CN=x"}, "dc"); }).description.contains("past 7 pages"));
}

// libldap waits for a TLS handshake without a bound; each connection's
// watchdog must cut its own while another thread connects. Run in a child
// process, which an alarm ends should a handshake hang.
TEST(TlsWatchdog, EachHandshakeIsCutByItsOwnWatchdogWhileAnotherThreadConnects) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto scenario = [] {
        testing_support::FaultProxy silent;  // accepts, never answers
        silent.setMode(testing_support::FaultProxy::Mode::Silent);
        const QByteArray uri = "ldaps://127.0.0.1:" + QByteArray::number(silent.port());
        ::alarm(8);
        std::atomic<int> cut{0};
        const auto connect = [&](int delayMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            LDAP* ld = nullptr;
            ldap_initialize(&ld, uri.constData());
            watchConnectionSockets(ld);
            TlsWatchdog watchdog(ld, 2);
            cut += ldap_connect(ld) != LDAP_SUCCESS && watchdog.stop();
        };
        std::thread second(connect, 700);
        connect(0);
        second.join();
        std::_Exit(cut == 2 ? 0 : 1);
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0), "");
}

// (DNs become domains through libldap too: see the discovery tests.)
TEST(LdapText, FilterValuesAreEscapedByLibldapNonAsciiBytesIncluded) {
    EXPECT_EQ(escapeFilterValue(QString("*(\\)\n") + QChar(0) + "M\u00fcller"), "\\2A\\28\\5C\\29\\0A\\00M\\C3\\BCller");
    EXPECT_EQ(dnsDomainOfDn("DC=a,OU=x,DC=b"), "b");
}
