#include "startup/ServerChoice.h"

#include "startup/StartupDiscovery.h"

#include <QUrl>

namespace startup {

QString requestedServer(const QString& commandLineValue) {
    const QString given = commandLineValue.trimmed();
    if (!given.isEmpty()) return given;
    return qEnvironmentVariable("TAVIMOR_SERVER").trimmed();
}

void useServer(state::Globals& g, state::FormState& form, const QString& server) {
    const QString name = server.trimmed().toLower();
    if (name.isEmpty()) return;
    form.ShortComputerName = name.section(u'.', 0, 0);
    form.ComputerName = name.contains(u'.') || form.DomainDNSName.isEmpty() ? name
                                                                            : form.ShortComputerName + u'.' + form.DomainDNSName;
    form.ClusterName.clear();
    // The HTTP root names the server; the domain folder stays what discovery found.
    const QString folder = g.strHttpMailboxRoot.section(u'/', 4, 4);
    g.strHttpMailboxRoot = httpMailboxRoot(form.ComputerName, folder.isEmpty() ? form.DomainDNSName : folder);
}

}  // namespace startup
