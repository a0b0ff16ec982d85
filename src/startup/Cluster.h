#pragma once
// Whether this computer is a cluster node, and the name of the Exchange virtual
// server when it is.

#include "state/Globals.h"
#include "platform/system/SystemProbes.h"

#include <QString>

namespace startup {

// True when the registry key opens; the value name is accepted and not used.
bool RegKeyExists(platform::system::SystemProbes& probes, platform::system::RegistryRoot root,
                  const QString& keyPath, const QString& valueName);
bool IsClusterNode(platform::system::SystemProbes& probes);

// Logon name of the user running the program.
QString GetWindowsUserName(platform::system::SystemProbes& probes);

// The server name in a home-server value: the text after its last "CN=" when at
// least two characters follow, else the whole value; upper case.
QString clusterNameFromHomeServer(const QString& homeServer);

// Sets ClusterName from the logged-on user's home server ("" when not found).
void GetClusterName(state::Globals& g, state::FormState& form, platform::system::SystemProbes& probes);

}  // namespace startup
