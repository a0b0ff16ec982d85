// What the directory layer does with hostile or oversized answers, without a
// directory server: a DNS answer larger than a datagram, a server that pages
// for ever, two threads whose TLS handshakes hang at once, and an address
// where nothing listens.

#include "platform/directory/Directory.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Paging.h"
#include "platform/directory/Session.h"
#include "platform/directory/SrvRecords.h"
#include "platform/directory/TlsWatchdog.h"
#include "support/Lab.h"
#include "support/Thrown.h"

#include <QProcess>
#include <QSet>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ldap.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace platform::directory;

TEST(SrvLookup, AnswersOfAnySizeAreReadWholeOverUdpOrAfterTruncationOverTcp) {
    struct Case {
        int records;
        bool overTcp;
    };
    for (const Case& c : {Case{3, false}, Case{1450, true}}) {
        QProcess dns;
        dns.start("python3", {TAVIMOR_SOURCE_DIR "/tests/support/scripted_dns.py", QString::number(c.records)});
        ASSERT_TRUE(dns.waitForReadyRead(10000));
        const QString port = QString::fromLatin1(dns.readLine()).trimmed();
        const std::vector<SrvTarget> targets = lookupSrv("_ldap._tcp.big.test", "127.0.0.1:" + port);
        dns.closeWriteChannel();
        ASSERT_TRUE(dns.waitForFinished(10000));
        const QStringList asked = QString::fromLatin1(dns.readAll()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(asked.value(0), "udp");
        EXPECT_EQ(asked.contains("tcp"), c.overTcp) << c.records;
        QSet<QString> hosts;
        for (const SrvTarget& t : targets) hosts.insert(t.host);
        EXPECT_EQ(targets.size(), size_t(c.records));
        EXPECT_EQ(hosts.size(), c.records);
        EXPECT_TRUE(hosts.contains(QStringLiteral("dc%1.big.test").arg(c.records - 1, 4, 10, QChar('0'))));
    }
}

TEST(PagedSearch, EndsOnAnEmptyPageAndStopsWithAnErrorOnAnyRepeatedPageOrPastItsBudget) {
    struct Case {
        const char* what;
        int sizeLimit;
        std::vector<PageMark> pages;  // each with entries, then an empty one
        int failsAt;                  // -1: ends normally
    };
    std::vector<PageMark> fresh;
    for (int i = 0; i < 8; ++i) fresh.push_back({"c" + QByteArray::number(i), "CN=" + QString::number(i)});
    const std::vector<Case> cases{
        {"ordinary pages", 0, {{"c1", "CN=a"}, {"c2", "CN=b"}}, -1},
        {"Samba: one cookie, new entries", 0, {{"c1", "CN=a"}, {"c1", "CN=b"}, {"c1", "CN=c"}}, -1},
        {"the same page back to back", 0, {{"c1", "CN=a"}, {"c1", "CN=a"}}, 1},
        {"two cookies in turn", 0, {{"c1", "CN=a"}, {"c2", "CN=b"}, {"c1", "CN=a"}}, 2},
        {"new pages past the budget of a 300-entry limit", 300, fresh, 6},
    };
    for (const Case& c : cases) {
        PageGuard guard(c.sizeLimit, 100);
        int failed = -1;
        for (size_t i = 0; i < c.pages.size() && failed < 0; ++i) {
            try {
                EXPECT_FALSE(guard.ends(true, c.pages[i], "dc.example")) << c.what;
            } catch (const platform::ComError& e) {
                failed = int(i);
                EXPECT_TRUE(e.description().contains("dc.example")) << c.what;
            }
        }
        EXPECT_EQ(failed, c.failsAt) << c.what;
        if (c.failsAt < 0) {
            EXPECT_TRUE(guard.ends(false, {"c9", ""}, "dc.example")) << c.what;
        }
    }
    EXPECT_EQ(PageGuard(30000, 100).budget(), 601);
}

// libldap waits for a TLS handshake without a bound; each connection's
// watchdog must cut its own, however the threads interleave. Run in a child
// process, which an alarm ends should a handshake hang.
TEST(TlsWatchdog, EachConnectionsHandshakeIsCutByItsOwnWatchdogWhileOthersConnect) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto scenario = [] {
        const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(silent, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(silent, 8) != 0) std::_Exit(2);
        ::getsockname(silent, reinterpret_cast<sockaddr*>(&addr), &len);
        const QByteArray uri = "ldaps://127.0.0.1:" + QByteArray::number(ntohs(addr.sin_port));
        ::alarm(8);
        std::atomic<int> cut{0};
        const auto connect = [&](int delayMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            LDAP* ld = nullptr;
            ldap_initialize(&ld, uri.constData());
            watchConnectionSockets(ld);
            TlsWatchdog watchdog(ld, 2);
            const int rc = ldap_connect(ld);
            if (watchdog.stop() && rc != LDAP_SUCCESS) ++cut;
            ldap_unbind_ext_s(ld, nullptr, nullptr);
        };
        std::thread first(connect, 0), second(connect, 700);
        first.join();
        second.join();
        std::_Exit(cut == 2 ? 0 : 1);
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0), "");
}

TEST(KerberosSignIn, AServerWhereNothingListensIsReportedUnreachableNotAsAMissingTicket) {
    testing_support::EnvScope env;
    env.set("LDAPURI", "ldap://127.0.0.9");
    env.set("LDAPBINDDN", {});
    env.set("TAVIMOR_BIND_PASSWORD_FILE", {});
    env.set("KRB5CCNAME", "FILE:/nonexistent/ccache");
    resetConnectionCache();
    const QString error = testing_support::thrown([] { Session::get(false, QString()); }).description;
    resetConnectionCache();
    EXPECT_TRUE(error.startsWith("The server is not operational.")) << error.toStdString();
    EXPECT_TRUE(error.contains("127.0.0.9")) << error.toStdString();
    EXPECT_FALSE(error.contains("Kerberos")) << error.toStdString();
}

TEST(LdapText, DomainsOfDnsAndFilterValuesComeFromLibldap) {
    const std::vector<std::pair<QString, QString>> domains{
        {"DC=tavimor,DC=lab", "tavimor.lab"},
        {"CN=Person,CN=Schema,CN=Configuration,DC=Tavimor,DC=lab", "Tavimor.lab"},
        {"DC=a,OU=x,DC=b", "b"},
        {"OU=x,O=org", ""},
        {"", ""}};
    for (const auto& [dn, domain] : domains) EXPECT_EQ(dnsDomainOfDn(dn), domain) << dn.toStdString();
    const std::vector<std::pair<QString, QString>> values{
        {"a*b(c)d\\e", "a\\2Ab\\28c\\29d\\5Ce"},
        {QString("x") + QChar(0) + "y", "x\\00y"},
        {"M\u00fcller", "M\\C3\\BCller"},
        {"line\nbreak", "line\\0Abreak"}};
    for (const auto& [value, escaped] : values) EXPECT_EQ(escapeFilterValue(value), escaped);
}
