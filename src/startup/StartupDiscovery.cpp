#include "startup/StartupDiscovery.h"

#include "startup/Cluster.h"
#include "startup/WindowsVersion.h"
#include "platform/directory/Directory.h"

namespace startup {

QString DirectoryFacts::userDistinguishedName() { return platform::directory::SystemInfo::userName(); }

QString DirectoryFacts::domainDNSName() { return platform::directory::SystemInfo::domainDNSName(); }

QVariant DirectoryFacts::boundProperty(const QString& adsPath, const QString& property) {
    return platform::directory::DirectoryObject::bind(adsPath).get(property);
}

QString httpMailboxRoot(const QString& server, const QString& domainFolder) {
    return QStringLiteral("http://") + server + QStringLiteral("/exadmin/") + domainFolder + QStringLiteral("/mbx");
}

QString fileMailboxRoot(const QString& domainFolder) {
    return QStringLiteral("file://./backofficestorage/") + domainFolder + QStringLiteral("/mbx");
}

void RunStartupDiscovery(state::Globals& g, state::FormState& form, platform::system::SystemProbes& probes,
                         DirectoryFacts& facts) {
    platform::ResumeNext resume;

    // The logged-on user's mail address, through the domain controller or else
    // the global catalog.
    form.strCurrentUserEmailAddress.clear();
    QString userDn;
    resume([&] { userDn = facts.userDistinguishedName().trimmed(); });
    if (!userDn.isEmpty()) {
        QVariant mail;
        bool bound = resume([&] { mail = facts.boundProperty(QStringLiteral("LDAP://") + userDn, QStringLiteral("EmailAddress")); });
        if (!bound)
            bound = resume([&] { mail = facts.boundProperty(QStringLiteral("GC://") + userDn, QStringLiteral("EmailAddress")); });
        if (bound) form.strCurrentUserEmailAddress = mail.toString().trimmed();
    }

    resume([&] {
        auto connection = std::make_shared<platform::directory::DirectoryConnection>();
        connection->open(QStringLiteral("Active Directory Provider"));
        g.conAD = connection;
    });
    // The store connection (conExOLEDB) is made by the window, which links the
    // store layer; it is opened by each store call, not here.

    g.strLDAPRoot.clear();
    QVariant host;
    if (resume([&] { host = facts.boundProperty(QStringLiteral("LDAP://RootDSE"), QStringLiteral("dnshostname")); })) {
        if (!host.toString().isEmpty()) g.strLDAPRoot = QStringLiteral("LDAP://") + host.toString();
    } else if (resume([&] { host = facts.boundProperty(QStringLiteral("GC://RootDSE"), QStringLiteral("dnshostname")); })) {
        if (!host.toString().isEmpty()) g.strLDAPRoot = QStringLiteral("GC://") + host.toString();
    }

    resume([&] { form.ShortComputerName = probes.computerName().toLower(); });
    resume([&] { form.DomainDNSName = facts.domainDNSName().toLower(); });
    form.ComputerName = form.ShortComputerName + u'.' + form.DomainDNSName;

    if (IsClusterNode(probes)) {
        GetClusterName(g, form, probes);
        if (!form.ClusterName.isEmpty()) form.ComputerName = form.ClusterName;
    }

    g.strFileMailboxRoot = fileMailboxRoot(form.DomainDNSName);
    g.strHttpMailboxRoot = httpMailboxRoot(form.ComputerName, form.DomainDNSName);

    QString entry;
    resume([&] { entry = probes.listStoreRoot().value(0); });
    if (!entry.isEmpty()) {
        g.strHttpMailboxRoot = httpMailboxRoot(form.ComputerName, entry);
        g.strFileMailboxRoot = fileMailboxRoot(entry);
    }

    resume([&] { g.strWindowsVersion = GetWindowsVersion(probes); });
}

}  // namespace startup
