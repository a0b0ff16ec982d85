// Signing in with the user's Kerberos ticket against the lab: under a Kerberos
// configuration that keeps the library's defaults, behind a relay that lies
// about the server's name, and without a ticket; and a search cut short by its
// size limit.

#include "platform/directory/Directory.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Session.h"
#include "support/FaultProxy.h"
#include "support/Lab.h"
#include "support/Thrown.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform::directory;
using namespace testing_support;

namespace {

class KerberosLab : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        ASSERT_TRUE(dir.isValid());
        passwordFile = labEnv("TAVIMOR_BIND_PASSWORD_FILE");
        env.set("LDAPBINDDN", {});
        env.set("TAVIMOR_BIND_PASSWORD_FILE", {});
        env.set("KRB5CCNAME", ("FILE:" + dir.filePath("ccache")).toUtf8());
        resetConnectionCache();
        setNoticeHandler([this](int32_t, const QString& d) { notices << d; });
    }
    void TearDown() override {
        resetConnectionCache();
        setNoticeHandler({});
    }
    // A Kerberos configuration of these lines, or the lab's less the settings named.
    void useKrb5Conf(const QStringList& without, const QByteArray& text = {}) {
        QFile lab(labEnv("KRB5_CONFIG").section(':', -1));  // the lab's, behind any of the program's own
        ASSERT_TRUE(lab.open(QIODevice::ReadOnly));
        QByteArray conf = text;
        for (const QByteArray& line : lab.readAll().split('\n'))
            if (text.isEmpty() && !without.contains(QString::fromUtf8(line.trimmed()).section(' ', 0, 0)))
                conf += line + '\n';
        QFile f(dir.filePath("krb5.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conf);
        f.close();
        env.set("KRB5_CONFIG", f.fileName().toUtf8());
    }
    void kinit() {
        QProcess p;
        p.setStandardInputFile(passwordFile);
        p.start("kinit", {"Administrator@" + labEnv("LAB_REALM")});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    QString tickets() {
        QProcess p;
        p.start("klist", {});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    QTemporaryDir dir;
    QString passwordFile;
    EnvScope env;
    QStringList notices;
};

}  // namespace

TEST_F(KerberosLab, TheServicePrincipalNamesTheServerEvenWhenTheConfigurationWouldAskReverseDns) {
    // 127.0.0.1 is "localhost" to reverse look-ups here.
    useKrb5Conf({"rdns", "dns_canonicalize_hostname"});
    kinit();
    const QString id = Session::get(false, QString())->whoAmI();
    EXPECT_TRUE(id.contains("Administrator", Qt::CaseInsensitive)) << id.toStdString();
    const QString held = tickets();
    EXPECT_TRUE(held.contains("ldap/" + labEnv("LAB_DC_HOST") + "@")) << held.toStdString();
    EXPECT_FALSE(held.contains("ldap/localhost")) << held.toStdString();
}

TEST_F(KerberosLab, TheServersOwnNameIsTakenOnlyFromADomainControllerOrTheAddressConnectedTo) {
    kinit();
    FaultProxy relay;
    const QByteArray real = labEnv("LAB_DC_HOST").toUtf8();
    QByteArray spoofed = real;
    spoofed[2] = '7';  // dc7.tavimor.lab: no such host
    struct Case {
        const char* what;
        QString configured;
        QByteArray claimed;
        bool noticed;
    };
    const std::vector<Case> cases{
        {"a name no configuration gave", QString::fromUtf8(real), spoofed, true},
        {"its real name, configured by address", "127.0.0.1", real, false},
    };
    for (const Case& c : cases) {
        relay.rewriteAnswers(real, c.claimed);
        env.set("LDAPURI", ("ldap://" + c.configured + ":" + QString::number(relay.port())).toUtf8());
        resetConnectionCache();
        notices.clear();
        QString id;
        const auto error = thrown([&] { id = Session::get(false, QString())->whoAmI(); });
        EXPECT_EQ(error.description, QString()) << c.what;
        EXPECT_TRUE(id.contains("Administrator", Qt::CaseInsensitive)) << c.what;
        EXPECT_EQ(notices.filter(QString::fromUtf8(spoofed)).size(), c.noticed ? 1 : 0) << c.what;
    }
}

TEST_F(KerberosLab, WithoutATicketTheRunToSignInNamesTheDirectorysOwnRealm) {
    useKrb5Conf({}, "[libdefaults]\n\tdefault_realm = ATHENA.MIT.EDU\n");
    const QString error = thrown([] { Session::get(false, QString()); }).description;
    EXPECT_TRUE(error.contains("kinit <account>@" + labEnv("LAB_REALM"))) << error.toStdString();
    EXPECT_FALSE(error.contains("ATHENA")) << error.toStdString();
}

TEST(DirectoryLimitsLab, ASearchCutAtItsSizeLimitSaysSoNamingTheSearchAndTheLimit) {
    REQUIRE_LAB();
    resetConnectionCache();
    QStringList notices;
    setNoticeHandler([&](int32_t, const QString& d) { notices << d; });
    SearchLimits limits;
    limits.chaseReferrals = false;
    limits.pageSize = 2;
    for (int sizeLimit : {3, 100000}) {
        limits.sizeLimit = sizeLimit;
        const auto rows = Session::get(false, QString())
                              ->search(labBase(), Scope::Subtree, "(objectClass=group)", {"cn"}, limits)
                              .rows;
        EXPECT_EQ(rows.size() == 3u, sizeLimit == 3);
    }
    setNoticeHandler({});
    resetConnectionCache();
    ASSERT_EQ(notices.size(), 1) << notices.join('\n').toStdString();
    EXPECT_TRUE(notices[0].contains("size limit of 3 entries")) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(labBase() + " for (objectClass=group)")) << notices[0].toStdString();
}
