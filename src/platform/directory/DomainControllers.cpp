#include "platform/directory/DomainControllers.h"

#include "platform/ComError.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/SrvRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <ldap.h>
#include <netdb.h>
#include <unistd.h>

namespace platform::directory {
namespace {

// The DNS domain of this host: its canonical name less the first label.
QString localDomainName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return QString();
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* info = nullptr;
    QString fqdn = QString::fromLocal8Bit(host);
    if (getaddrinfo(host, nullptr, &hints, &info) == 0 && info) {
        if (info->ai_canonname) fqdn = QString::fromLocal8Bit(info->ai_canonname);
        freeaddrinfo(info);
    }
    const int dot = fqdn.indexOf(u'.');
    return dot > 0 ? fqdn.mid(dot + 1) : QString();
}

bool fileNamesUri(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    static const QRegularExpression key(QStringLiteral("^\\s*(URI|HOST)\\s"), QRegularExpression::CaseInsensitiveOption);
    while (!f.atEnd())
        if (key.match(QString::fromUtf8(f.readLine())).hasMatch()) return true;
    return false;
}

// libldap answers "ldap://localhost/" when nothing names a server. Only a
// configuration that says so itself counts as naming localhost.
bool uriIsConfigured() {
    if (!qEnvironmentVariableIsEmpty("LDAPHOST")) return true;
    if (fileNamesUri(QStringLiteral("/etc/ldap/ldap.conf"))) return true;
    if (!qEnvironmentVariableIsEmpty("LDAPCONF") && fileNamesUri(qEnvironmentVariable("LDAPCONF"))) return true;
    const QString home = QDir::homePath();
    QStringList rc{QStringLiteral("ldaprc"), QStringLiteral(".ldaprc")};
    if (!qEnvironmentVariableIsEmpty("LDAPRC")) rc << qEnvironmentVariable("LDAPRC");
    for (const QString& name : rc)
        if (fileNamesUri(home + u'/' + name)) return true;
    return false;
}

}  // namespace

QString noDirectoryConfiguredText() {
    return QStringLiteral(
        "The server is not operational. No domain controller is configured: set LDAPURI (or URI in "
        "ldap.conf), or publish _ldap._tcp SRV records for this computer's DNS domain.");
}

std::vector<ServerAddress> serversOfUriList(const QString& uris) {
    std::vector<ServerAddress> out;
    for (const QString& one : uris.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        LDAPURLDesc* url = nullptr;
        if (ldap_url_parse(one.toUtf8().constData(), &url) != LDAP_URL_SUCCESS) continue;
        ServerAddress a;
        a.host = QString::fromUtf8(url->lud_host ? url->lud_host : "");
        a.port = url->lud_port;
        a.ldaps = QString::fromUtf8(url->lud_scheme).compare(QStringLiteral("ldaps"), Qt::CaseInsensitive) == 0;
        ldap_free_urldesc(url);
        if (!a.host.isEmpty()) out.push_back(std::move(a));
    }
    return out;
}

std::vector<ServerAddress> domainControllers() {
    prepareLdapLibrary();
    // LDAPURI as it is now (libldap took its copy when first used), else the
    // URI of ldap.conf or ~/.ldaprc.
    std::vector<ServerAddress> out = serversOfUriList(qEnvironmentVariable("LDAPURI"));
    char* uris = nullptr;
    if (out.empty() && ldap_get_option(nullptr, LDAP_OPT_URI, &uris) == LDAP_OPT_SUCCESS && uris) {
        const QString list = QString::fromUtf8(uris);
        ldap_memfree(uris);
        if (uriIsConfigured()) out = serversOfUriList(list);
    }
    if (out.empty()) {
        const QString domain = localDomainName();
        if (!domain.isEmpty())
            for (const SrvTarget& t : lookupSrv(QStringLiteral("_ldap._tcp.") + domain))
                out.push_back({t.host, t.port, false});
    }
    if (out.empty()) throw ComError(hr::ServerDown, noDirectoryConfiguredText());
    return out;
}

}  // namespace platform::directory
