#pragma once
// The account proposed for the hosted application on Windows 2000: the current
// user qualified by a domain, DOMAIN\user. The NetBIOS domain of this computer
// wins over the DNS form read from the user's object category.

#include "state/Globals.h"
#include "platform/system/SystemProbes.h"

#include <QString>
#include <optional>

namespace startup {

// The DNS form from an objectCategory value ("" when it holds no "DC=").
QString dnsDomainFromCategory(const QString& objectCategory);

// LAN group of this computer, "" when it cannot be read.
QString GetNetBIOSDomainName(platform::system::SystemProbes& probes);

// The proposal for txtIdent. A failing directory query is passed over and the
// NetBIOS form still applies.
QString FillIdentityField(state::Globals& g, platform::system::SystemProbes& probes);

}  // namespace startup
