#pragma once
// A scripted LDAP directory (tests/support/scripted_ldap.py) for one test: it
// serves the JSON file the test gives (RootDSE, entries, generated entries,
// accepted binds, ...: the script's top comment describes it) on a loopback
// port, with StartTLS under a CA made for the test process.
// becomeDomainController() points the directory layer at it (LDAPURI,
// LDAPTLS_CACERT, a simple bind) until the object ends.
//
//   testing_support::ScriptedLdap dc(TAVIMOR_SOURCE_DIR "/tests/unit/<area>/<directory>.json");
//   ASSERT_TRUE(dc.running());
//   dc.becomeDomainController();

#include "support/Lab.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

namespace testing_support {

class ScriptedLdap {
public:
    // Serves `directory` (a JSON file, or the JSON text) on 127.0.0.1, on a port
    // it picks. Every server of a test process has its certificate from one CA.
    explicit ScriptedLdap(const QString& directory) {
        static QTemporaryDir tls;
        process_.start("python3", {"-B", QStringLiteral(TAVIMOR_SOURCE_DIR "/tests/support/scripted_ldap.py"), directory,
                                   "--tls-dir", tls.filePath("ca")});
        QByteArray out;
        for (QDeadlineTimer deadline(30000); !out.contains("LISTENING ") || !out.endsWith('\n');) {
            if (!process_.waitForReadyRead(int(deadline.remainingTime()))) break;
            out += process_.readAllStandardOutput();
        }
        caFile_ = QRegularExpression("CA (.*)\n").match(out).captured(1);
        port_ = QRegularExpression("LISTENING (\\d+)\n").match(out).captured(1).toInt();
        if (port_ == 0) ADD_FAILURE() << "the scripted directory did not start: " << process_.readAllStandardError().data();
    }
    ~ScriptedLdap() {
        env_.reset();
        platform::directory::resetConnectionCache();
        process_.kill();
        process_.waitForFinished(5000);
    }

    bool running() const { return port_ > 0; }  // when not, the test has failed saying why
    QString uri() const { return "ldap://127.0.0.1:" + QString::number(port_); }

    // This server is this computer's domain controller until this object ends,
    // signed in to over StartTLS as CN=Tester (with no "binds" in the document,
    // any DN and password are accepted).
    void becomeDomainController() {
        QFile pw(dir_.filePath("bind-password"));
        pw.open(QIODevice::WriteOnly);
        pw.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        pw.write("secret");
        pw.flush();
        env_.emplace();
        env_->set("LDAPURI", uri().toUtf8());
        env_->set("LDAPTLS_CACERT", caFile_.toUtf8());
        env_->set("LDAPBINDDN", "CN=Tester");
        env_->set("TAVIMOR_BIND_PASSWORD_FILE", pw.fileName().toUtf8());
        platform::directory::resetConnectionCache();
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    QString caFile_;
    std::optional<EnvScope> env_;
};

}  // namespace testing_support
