#pragma once
// A scripted LDAP directory (tests/support/scripted_ldap.py) for one test: it
// serves the JSON document or file the test gives (RootDSE, entries, generated
// entries, accepted binds, ...: the script's top comment describes it) on a
// loopback port, with StartTLS under a CA made for the test process.
// becomeDomainController() points the directory layer at it (LDAPURI,
// LDAPTLS_CACERT, a simple bind) until the object ends; requests() tells what
// the program asked.
//
//   testing_support::ScriptedLdap dc(QJsonObject{{"rootDSE", ...}, {"entries", ...}});
//   ASSERT_TRUE(dc.running());
//   dc.becomeDomainController();

#include "support/Lab.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

namespace testing_support {

class ScriptedLdap {
public:
    // Serves `directory` (a JSON file, or the JSON text) on `host` (127.0.0.0/8),
    // on `port` or one it picks. Every server of a test process has its
    // certificate from one CA, valid for 127.0.0.1 to 127.0.0.15.
    explicit ScriptedLdap(const QString& directory, const QString& host = "127.0.0.1", int port = 0) : host_(host) {
        static QTemporaryDir tls;
        process_.start("python3", {"-B", QStringLiteral(TAVIMOR_SOURCE_DIR "/tests/support/scripted_ldap.py"), directory,
                                   "--tls-dir", tls.filePath("ca"), "--host", host, "--port", QString::number(port),
                                   "--log", dir_.filePath("requests")});
        QByteArray out;
        for (QDeadlineTimer deadline(30000); !out.contains("LISTENING ") || !out.endsWith('\n');) {
            if (!process_.waitForReadyRead(int(deadline.remainingTime()))) break;
            out += process_.readAllStandardOutput();
        }
        caFile_ = QRegularExpression("CA (.*)\n").match(out).captured(1);
        port_ = QRegularExpression("LISTENING (\\d+)\n").match(out).captured(1).toInt();
        if (port_ == 0) ADD_FAILURE() << "the scripted directory did not start: " << process_.readAllStandardError().data();
    }
    explicit ScriptedLdap(const QJsonObject& directory, const QString& host = "127.0.0.1", int port = 0)
        : ScriptedLdap(QString::fromUtf8(QJsonDocument(directory).toJson(QJsonDocument::Compact)), host, port) {}
    ~ScriptedLdap() {
        env_.reset();
        platform::directory::resetConnectionCache();
        process_.kill();
        process_.waitForFinished(5000);
    }

    bool running() const { return port_ > 0; }  // when not, the test has failed saying why
    QString uri() const { return "ldap://" + host_ + ":" + QString::number(port_); }
    const QString& caFile() const { return caFile_; }

    // This server is this computer's domain controller until this object ends,
    // signed in to over StartTLS as `bindDn` (with no "binds" in the document,
    // any DN and password are accepted).
    void becomeDomainController(const QString& bindDn = "CN=Tester", const QByteArray& password = "secret") {
        QFile pw(dir_.filePath("bind-password"));
        pw.open(QIODevice::WriteOnly);
        pw.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        pw.write(password);
        pw.flush();
        env_.emplace();
        env_->set("LDAPURI", uri().toUtf8());
        env_->set("LDAPTLS_CACERT", caFile_.toUtf8());
        env_->set("LDAPBINDDN", bindDn.toUtf8());
        env_->set("TAVIMOR_BIND_PASSWORD_FILE", pw.fileName().toUtf8());
        platform::directory::resetConnectionCache();
    }

    // The requests received so far, one object each (see the script's --log).
    QList<QJsonObject> requests() const {
        QList<QJsonObject> out;
        QFile log(dir_.filePath("requests"));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray& line : log.readAll().split('\n')) out << QJsonDocument::fromJson(line).object();
        out.removeAll(QJsonObject());
        return out;
    }

private:
    QString host_;
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    QString caFile_;
    std::optional<EnvScope> env_;
};

}  // namespace testing_support
