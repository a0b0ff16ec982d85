#pragma once
// What the program learns about its surroundings when the main window loads: the
// logged-on user's mail address, the directory connection and base, the
// computer, domain and cluster names, the two URL roots of the Exchange store and
// the operating-system version. Every step runs with errors ignored; a step that
// fails leaves its value empty and the next step runs.

#include "state/Globals.h"
#include "platform/system/SystemProbes.h"

#include <QString>
#include <QVariant>

namespace startup {

// The directory-side questions of start-up (the logged-on user and this
// computer's domain, and reading a property of an object bound by path).
// The default answers from the directory; tests play other computers.
class DirectoryFacts {
public:
    virtual ~DirectoryFacts() = default;
    virtual QString userDistinguishedName();               // "" or throws when unknown
    virtual QString domainDNSName();
    virtual QVariant boundProperty(const QString& adsPath, const QString& property);  // throws when unbound
};

void RunStartupDiscovery(state::Globals& g, state::FormState& form, platform::system::SystemProbes& probes,
                         DirectoryFacts& facts);

// The URL roots for a server and a domain folder.
QString httpMailboxRoot(const QString& server, const QString& domainFolder);
QString fileMailboxRoot(const QString& domainFolder);

}  // namespace startup
