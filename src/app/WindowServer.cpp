#include "app/WindowServer.h"

#include "app/InstallForm.h"
#include "platform/ComError.h"
#include "startup/ServerChoice.h"

namespace app {

bool settleServer(InstallForm& f, WindowServer& server) {
    if (server.settled) return true;
    using Action = startup::ServerDecision::Action;
    QString problem;
    const QStringList servers = startup::organisationServers(&problem);
    const startup::ServerDecision d =
        startup::decideServer(f.state().ComputerName, !server.selection.requested.isEmpty(), servers, problem);
    if (d.action == Action::Unchecked) return true;
    if (d.action == Action::Use) return server.settled = true;
    std::optional<QString> chosen;
    if (d.action == Action::Choose && server.selection.chooser) chosen = server.selection.chooser->choose(d.servers, d.reason);
    if (chosen && !chosen->isEmpty()) {
        startup::useServer(f.globals(), f.state(), *chosen);
        return server.settled = true;
    }
    f.errorLog().logWithoutContext(
        platform::hr::NoSuchObject,
        d.action == Action::Choose ? d.message + QStringLiteral(" No server was chosen: Refresh offers them again; "
                                                                "--server NAME or TAVIMOR_SERVER names one.")
                                   : d.message);
    f.errorLog().show();
    return false;
}

}  // namespace app
