#pragma once
// What the process sets up once before its first directory call, and the time
// bounds every directory call runs under.

#include <QString>
#include <cstdint>
#include <functional>

namespace platform::directory {

// Once per process, before libldap reads its configuration: a broken
// connection must not end the process with SIGPIPE, and libldap's per-folder
// "ldaprc" is never read from the folder the program was started in (the
// system ldap.conf and the user's ~/.ldaprc still are).
void prepareLdapLibrary();

// Seconds to wait for a TCP connection (and TLS handshake), and for each
// answer of the server. ldap.conf's NETWORK_TIMEOUT and TIMEOUT (or
// LDAPNETWORK_TIMEOUT / LDAPTIMEOUT) replace the defaults.
struct Timeouts {
    int networkSeconds;
    int operationSeconds;
};
constexpr Timeouts kDefaultTimeouts{5, 15};
Timeouts ldapTimeouts();

// Notices the directory layer gives outside of a call's own failure (such as a
// referral it would not follow). The window sends them to its error log; each
// text is given once per process.
using NoticeHandler = std::function<void(int32_t number, const QString& description)>;
void setNoticeHandler(NoticeHandler handler);
void noticeOnce(int32_t number, const QString& description);

}  // namespace platform::directory
