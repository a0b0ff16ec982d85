#include "startup/IdentityDefaults.h"

#include "startup/Cluster.h"
#include "directory/Queries.h"

namespace startup {

QString dnsDomainFromCategory(const QString& objectCategory) {
    const int first = objectCategory.indexOf(QStringLiteral("DC="), 0, Qt::CaseInsensitive);
    if (first < 0) return QString();
    QString category = objectCategory.mid(first + 3);
    while (category.startsWith(u' ')) category.remove(0, 1);
    if (!category.isEmpty()) {
        // Cut at the first comma after the last DC= component, when there is one.
        int last = category.lastIndexOf(QStringLiteral("DC="));
        if (last < 0) last = 0;
        const int comma = category.indexOf(u',', last);
        if (comma + 1 > 2) category = category.left(comma);
    }
    category.remove(u' ');
    category.replace(QStringLiteral(",DC="), QStringLiteral("."));
    return category;
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
