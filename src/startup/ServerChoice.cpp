#include "startup/ServerChoice.h"

#include "startup/StartupDiscovery.h"
#include "platform/ComError.h"
#include "platform/exchange/ExchangeServer.h"

namespace startup {
namespace {
// A name as a message line shows it: one line, control characters as '?'.
QString shown(QString name) {
    for (QChar& c : name)
        if (!c.isPrint()) c = u'?';
    return name;
}
}  // namespace

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

QStringList organisationServers(QString* problem) {
    if (problem) problem->clear();
    try {
        return platform::exchange::organisationServerNames();
    } catch (const platform::ComError& e) {
        if (problem) *problem = e.description();
    } catch (const std::exception& e) {
        if (problem) *problem = QString::fromUtf8(e.what());
    }
    return {};
}

QString matchServer(const QString& name, const QStringList& servers) {
    const QString label = platform::exchange::serverLabel(name);
    if (label.isEmpty()) return {};
    for (const QString& s : servers)
        if (s.compare(label, Qt::CaseInsensitive) == 0) return s;
    return {};
}

ServerDecision decideServer(const QString& wanted, bool named, const QStringList& servers, const QString& problem) {
    using Action = ServerDecision::Action;
    ServerDecision d;
    d.servers = servers;
    if (!problem.isEmpty()) {
        d.action = Action::Unchecked;
        d.reason = d.message = QStringLiteral("The organisation's Exchange servers could not be read: ") + problem;
        d.server = wanted;
        return d;
    }
    if (servers.isEmpty()) {
        d.action = Action::NoServer;
        d.reason = d.message = QStringLiteral("The directory holds no Exchange server of an organisation.");
        return d;
    }
    d.server = matchServer(wanted, servers);
    if (!d.server.isEmpty()) {
        d.action = Action::Use;
        return d;
    }
    d.action = Action::Choose;
    const QString label = shown(platform::exchange::serverLabel(wanted));
    d.reason = named ? QStringLiteral("The server %1 named by --server or TAVIMOR_SERVER is not an Exchange server "
                                    "of the organisation.").arg(label)
                     : QStringLiteral("This computer (%1) is not an Exchange server of the organisation.").arg(label);
    d.message = d.reason + QStringLiteral(" The organisation's Exchange servers: ") + shown(servers.join(QStringLiteral(", "))) + u'.';
    return d;
}

}  // namespace startup
