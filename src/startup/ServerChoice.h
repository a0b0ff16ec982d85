#pragma once
// The Exchange server the programs work on. By default it is this computer (or
// the virtual server of its cluster); `--server NAME` or TAVIMOR_SERVER names
// another, so that an administrator's workstation can manage any server.

#include "state/Globals.h"

#include <QString>
#include <QStringList>

namespace startup {

// The server asked for: the command line's value, else TAVIMOR_SERVER, else ""
// (this computer).
QString requestedServer(const QString& commandLineValue);

// After RunStartupDiscovery: makes `server` (a short or a DNS name) the computer
// whose storage groups and stores the programs show, with the store's URL roots
// following it. An empty name changes nothing.
void useServer(state::Globals& g, state::FormState& form, const QString& server);

// The organisation's Exchange servers by name, as the caption shows them, in the
// order of the user's locale. Empty when there are none; when the directory
// cannot be read, also empty with `*problem` set to the cause ("" otherwise).
QStringList organisationServers(QString* problem = nullptr);

// The server of `servers` that `name` names (a short or a DNS name, letter case
// ignored), as `servers` spells it; "" when it names none.
QString matchServer(const QString& name, const QStringList& servers);

// What start-up does with the server it is to work on.
struct ServerDecision {
    enum class Action {
        Use,        // `server` is an Exchange server of the organisation
        Choose,     // it is none: offer `servers`; `reason` says why
        NoServer,   // the organisation has no Exchange server (`reason`)
        Unchecked,  // the directory could not be asked (`reason`); go on with the name
    };
    Action action = Action::Unchecked;
    QString server;   // Use: the organisation's spelling
    QString reason;   // one sentence, for the chooser
    QString message;  // the reason with the organisation's servers, for logs and errors
    QStringList servers;
};

// `wanted` is the server start-up found (FormState::ComputerName); `named` says
// whether --server or TAVIMOR_SERVER gave it (else it is this computer).
// `servers` and `problem` are what organisationServers answered.
ServerDecision decideServer(const QString& wanted, bool named, const QStringList& servers, const QString& problem);

}  // namespace startup
