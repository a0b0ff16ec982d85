#pragma once
// Signing in with the user's Kerberos ticket, the way Linux clients of Active
// Directory do: SASL GSSAPI over plain LDAP (389, or 3268 for the global
// catalog), with the Kerberos security layer signing and sealing every message
// afterwards. Active Directory allows no SASL security layer inside TLS, so this
// sign-in never uses TLS; a layer weaker than 56 bits is refused.

#include <QString>
#include <functional>

typedef struct ldap LDAP;

namespace platform::directory {

struct Endpoint;

// The user's ticket as the Kerberos library sees it.
struct TicketState {
    enum Kind { Valid, Missing, Expired } kind = Missing;
    QString principal;  // "user@REALM" when known
    QString cache;      // the credential cache looked at
    QString realm;      // the default realm of the Kerberos configuration
};
TicketState currentTicket();

// The one-line description of a failure to sign in for want of a valid ticket,
// naming what to run. Empty when the ticket is valid.
QString ticketProblem(const TicketState& ticket, const QString& host);

// Puts the program's own Kerberos settings (no DNS or reverse-DNS
// canonicalisation of host names) ahead of the Kerberos configuration of this
// process, by KRB5_CONFIG. Done when the directory layer is first used, and
// again before each sign-in should KRB5_CONFIG have changed since.
void keepServiceNamesAsGiven();

// The plain-LDAP address the Kerberos sign-in uses for a server: TLS ports
// (636, 3269) map to their plain counterparts.
QString kerberosUri(const QString& host, int port);

// Binds `ld` with GSSAPI. The service principal is ldap/<the server's
// dnsHostName> as its RootDSE tells it (never a reverse DNS look-up), so `ld`
// is opened again to that name when the endpoint names the server otherwise or
// uses TLS; `prepare` sets the new handle's options as the session sets every
// connection's. Answers the ticket's principal ("user@REALM"). Throws ComError
// with `ld` unbound and null on any failure.
QString bindWithKerberos(LDAP*& ld, const Endpoint& endpoint, const std::function<void(LDAP*)>& prepare);

}  // namespace platform::directory
