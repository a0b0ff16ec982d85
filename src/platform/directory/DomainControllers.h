#pragma once
// This computer's domain controllers, in the order to try them: every server
// of LDAPURI (or of ldap.conf's URI), else every target of the _ldap._tcp SRV
// records of this host's DNS domain. Nothing falls back to localhost.

#include <QString>
#include <vector>

namespace platform::directory {

struct ServerAddress {
    QString host;
    int port = 0;  // 0: the scheme's own
    bool ldaps = false;
};

// Throws ComError (server not operational) naming what to set when no server
// is configured and DNS publishes none.
std::vector<ServerAddress> domainControllers();

// The servers of a URI list as libldap takes it (blank- or comma-separated).
std::vector<ServerAddress> serversOfUriList(const QString& uris);

// The text of that failure, for the error log.
QString noDirectoryConfiguredText();

}  // namespace platform::directory
