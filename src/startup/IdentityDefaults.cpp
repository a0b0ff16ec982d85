#include "startup/IdentityDefaults.h"

#include "startup/Cluster.h"
#include "directory/Queries.h"
#include "platform/directory/Directory.h"

namespace startup {

QString dnsDomainFromCategory(const QString& objectCategory) {
    return platform::directory::dnsDomainOfDn(objectCategory);
}

QString GetNetBIOSDomainName(platform::system::SystemProbes& probes) {
    try {
        const QString server = QStringLiteral("\\\\") + probes.environment(QStringLiteral("COMPUTERNAME"));
        return probes.workstationLanGroup(server).value_or(QString());
    } catch (...) {
        return QString();
    }
}

QString FillIdentityField(state::Globals& g, platform::system::SystemProbes& probes) {
    const QString user = GetWindowsUserName(probes);
    QString identity;
    try {
        if (g.conAD) {
            auto rs = g.conAD->execute(directory::queries::identityOfUser(g.strLDAPRoot, user),
                                       platform::directory::PropertySet::A);
            if (!rs.eof()) {
                const QVariant v = rs.field(QStringLiteral("objectCategory"));
                const QString domain = dnsDomainFromCategory(v.isNull() ? QString() : v.toString());
                if (!domain.isEmpty()) identity = domain + u'\\' + user;
            }
            rs.close();
        }
    } catch (const platform::ComError&) {
        // An unreadable directory leaves the DNS form out; the NetBIOS form may still apply.
    }
    const QString domain = GetNetBIOSDomainName(probes);
    if (!domain.isEmpty()) identity = domain + u'\\' + user;
    return identity;
}

}  // namespace startup
