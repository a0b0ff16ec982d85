#pragma once
// The Exchange server the programs work on. By default it is this computer (or
// the virtual server of its cluster); `--server NAME` or TAVIMOR_SERVER names
// another, so that an administrator's workstation can manage any server.

#include "state/Globals.h"

#include <QString>

namespace startup {

// The server asked for: the command line's value, else TAVIMOR_SERVER, else ""
// (this computer).
QString requestedServer(const QString& commandLineValue);

// After RunStartupDiscovery: makes `server` (a short or a DNS name) the computer
// whose storage groups and stores the programs show, with the store's URL roots
// following it. An empty name changes nothing.
void useServer(state::Globals& g, state::FormState& form, const QString& server);

}  // namespace startup
