#include "ctl/Servers.h"

#include "platform/ComError.h"
#include "platform/directory/Directory.h"
#include "platform/exchange/ConfigObject.h"
#include "platform/NameOrder.h"

#include <algorithm>

namespace ctl {

using namespace platform::directory;

QStringList organisationServers(const QString& serverPath) {
    const QString rootDse = serverPath.isEmpty() ? QStringLiteral("LDAP://RootDSE") : serverPath + QStringLiteral("/RootDSE");
    const QString nc = platform::exchange::valueText(
        DirectoryObject::bind(rootDse).get(QStringLiteral("configurationNamingContext")));
    if (nc.isEmpty()) throw platform::ComError(platform::hr::NoSuchObject, QStringLiteral("The directory has no configuration partition."));
    QStringList names;
    try {
        for (const Row& row : search(serverPath, QStringLiteral("CN=Microsoft Exchange,CN=Services,") + nc, Scope::Subtree,
                                     QStringLiteral("(objectClass=msExchExchangeServer)"), {QStringLiteral("cn")}))
            names << platform::exchange::valueText(row.value(QStringLiteral("cn")));
    } catch (const platform::ComError& e) {
        if (e.number() != platform::hr::NoSuchObject) throw;  // no organisation: no servers
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return platform::compareNames(a, b) < 0; });
    return names;
}

}  // namespace ctl
