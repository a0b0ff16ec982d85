#pragma once
// A scripted LDAP directory (tests/support/scripted_ldap.py) for one test: it
// serves the JSON document the test gives (RootDSE, entries, generated entries,
// accepted binds, ...: the script's top comment describes it) on a loopback
// port, with StartTLS under a CA made for it. becomeDomainController() points
// the directory layer at it (LDAPURI, LDAPTLS_CACERT, a simple bind) until the
// object ends; requests() tells what the program asked.
//
//   testing_support::ScriptedLdap dc(QJsonObject{{"rootDSE", ...}, {"entries", ...}});
//   ASSERT_TRUE(dc.running()) << dc.error().toStdString();
//   dc.becomeDomainController();

#include "platform/directory/Directory.h"
#include "support/Lab.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace testing_support {

class ScriptedLdap {
public:
    // Serves `directory` on `host` (127.0.0.0/8), on `port` or one it picks.
    explicit ScriptedLdap(const QJsonObject& directory, const QString& host = QStringLiteral("127.0.0.1"), int port = 0)
        : host_(host) {
        process_.start("python3", {"-B", QStringLiteral(TAVIMOR_SOURCE_DIR "/tests/support/scripted_ldap.py"),
                                   QJsonDocument(directory).toJson(QJsonDocument::Compact), "--tls-dir",
                                   dir_.filePath("tls"), "--host", host, "--port", QString::number(port),
                                   "--log", dir_.filePath("requests")});
        for (QDeadlineTimer deadline(30000); port_ == 0 && !deadline.hasExpired();) {
            while (!process_.canReadLine() && process_.waitForReadyRead(int(deadline.remainingTime()))) {}
            if (!process_.canReadLine()) break;
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith("CA ")) caFile_ = line.mid(3);
            if (line.startsWith("LISTENING ")) port_ = line.mid(10).toInt();
        }
    }
    ~ScriptedLdap() {
        env_.reset();
        platform::directory::resetConnectionCache();
        process_.closeWriteChannel();  // the server ends when its input closes
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(5000);
    }

    bool running() const { return port_ > 0; }
    QString error() { return "the scripted directory did not start: " + process_.readAllStandardError(); }
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
        pw.close();
        env_ = std::make_unique<EnvScope>();
        env_->set("LDAPURI", uri().toUtf8());
        env_->set("LDAPTLS_CACERT", caFile_.toUtf8());
        env_->set("LDAPBINDDN", bindDn.toUtf8());
        env_->set("TAVIMOR_BIND_PASSWORD_FILE", pw.fileName().toUtf8());
        platform::directory::resetConnectionCache();
    }

    // The requests received so far, one object each (see the script's --log).
    QList<QJsonObject> requests() const {
        QFile log(dir_.filePath("requests"));
        log.open(QIODevice::ReadOnly);
        QList<QJsonObject> out;
        for (const QByteArray& line : log.readAll().split('\n'))
            if (!line.isEmpty()) out << QJsonDocument::fromJson(line).object();
        return out;
    }

private:
    QString host_;
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    QString caFile_;
    std::unique_ptr<EnvScope> env_;
};

}  // namespace testing_support
