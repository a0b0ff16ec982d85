#include "platform/directory/KerberosBind.h"

#include "platform/directory/DomainControllers.h"
#include "platform/directory/LdapErrors.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Session.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_krb5.h>
#include <krb5/krb5.h>
#include <ldap.h>
#include <sasl/sasl.h>

#include <QByteArray>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::directory {
namespace {

// SEC_E_NO_CREDENTIALS: what a Windows client reports without a usable ticket.
constexpr int32_t kNoCredentials = static_cast<int32_t>(0x8009030E);
constexpr char kMinimumLayer[] = "minssf=56";
constexpr ber_len_t kMinimumSsf = 56;

int saslDefaults(LDAP*, unsigned, void*, void* in) {
    // Kerberos asks nothing the ticket does not answer; take what is offered.
    for (auto* i = static_cast<sasl_interact_t*>(in); i && i->id != SASL_CB_LIST_END; ++i) {
        i->result = i->defresult ? i->defresult : "";
        i->len = i->defresult ? static_cast<unsigned>(std::strlen(i->defresult)) : 0;
    }
    return LDAP_SUCCESS;
}

QString diagnostic(LDAP* ld, int rc) {
    char* diag = nullptr;
    ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diag);
    QString text = QString::fromUtf8(diag && *diag ? diag : ldap_err2string(rc));
    if (diag) ldap_memfree(diag);
    return text;
}

[[noreturn]] void fail(LDAP*& ld, int rc, const QString& detail) {
    if (ld) ldap_unbind_ext_s(ld, nullptr, nullptr);
    ld = nullptr;
    throwLdapError(rc == LDAP_CONNECT_ERROR ? LDAP_SERVER_DOWN : rc, detail);
}

// What the server's RootDSE, which anyone may read before signing in, says of
// it. Reading it also makes the connection.
struct ServerNames {
    int rc = LDAP_SUCCESS;
    QString dnsHostName;
    QString defaultNamingContext;
};

QString firstValue(LDAP* ld, LDAPMessage* entry, char* attr) {
    QString out;
    if (berval** vals = ldap_get_values_len(ld, entry, attr)) {
        if (vals[0]) out = QString::fromUtf8(vals[0]->bv_val, static_cast<qsizetype>(vals[0]->bv_len));
        ldap_value_free_len(vals);
    }
    return out;
}

ServerNames serverNamesOf(LDAP* ld) {
    char host[] = "dnsHostName";
    char nc[] = "defaultNamingContext";
    char* attrs[] = {host, nc, nullptr};
    timeval timeout{10, 0};
    LDAPMessage* res = nullptr;
    ServerNames names;
    names.rc = ldap_search_ext_s(ld, "", LDAP_SCOPE_BASE, "(objectClass=*)", attrs, 0, nullptr, nullptr, &timeout, 1,
                                 &res);
    if (names.rc == LDAP_SUCCESS) {
        if (LDAPMessage* entry = ldap_first_entry(ld, res)) {
            names.dnsHostName = firstValue(ld, entry, host);
            names.defaultNamingContext = firstValue(ld, entry, nc);
        }
    }
    if (res) ldap_msgfree(res);
    return names;
}

bool sameHost(QString a, QString b) {
    while (a.endsWith(u'.')) a.chop(1);
    while (b.endsWith(u'.')) b.chop(1);
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// Whether a forward look-up of `name` gives the address `ld` is connected to.
bool resolvesToPeer(LDAP* ld, const QString& name) {
    int fd = -1;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (ldap_get_option(ld, LDAP_OPT_DESC, &fd) != LDAP_OPT_SUCCESS || fd < 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return false;
    addrinfo hints{};
    hints.ai_family = peer.ss_family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0) return false;
    bool match = false;
    for (addrinfo* a = found; a && !match; a = a->ai_next) {
        if (a->ai_family == AF_INET && peer.ss_family == AF_INET)
            match = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr ==
                    reinterpret_cast<sockaddr_in*>(&peer)->sin_addr.s_addr;
        else if (a->ai_family == AF_INET6 && peer.ss_family == AF_INET6)
            match = std::memcmp(&reinterpret_cast<sockaddr_in6*>(a->ai_addr)->sin6_addr,
                                &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr, sizeof(in6_addr)) == 0;
    }
    ::freeaddrinfo(found);
    return match;
}

// Text from a server, fit for one line of the log.
QString printable(QString text) {
    for (QChar& c : text)
        if (!c.isPrint()) c = u'?';
    return text.left(255);
}

// The host whose ldap/ service the ticket is asked for. The server's own name
// comes from an answer nobody has vouched for yet: it is taken only when it
// is one of this computer's domain controllers, or when it resolves to the
// address the connection went to. Otherwise the server keeps the name it was
// configured by.
QString serviceHost(LDAP* ld, const Endpoint& endpoint, const QString& claimed) {
    if (claimed.isEmpty() || sameHost(claimed, endpoint.host)) return endpoint.host;
    std::vector<ServerAddress> dcs;
    try {
        dcs = domainControllers();
    } catch (const ComError&) {
    }
    for (const ServerAddress& dc : dcs)
        if (sameHost(dc.host, claimed)) return claimed;
    if (resolvesToPeer(ld, claimed)) return claimed;
    noticeOnce(numberForLdapResult(LDAP_LOCAL_ERROR),
               QStringLiteral("The server %1 gave its name as %2, which is not one of this computer's domain "
                              "controllers and does not resolve to the address connected to; the Kerberos sign-in "
                              "uses %1 as configured.")
                   .arg(endpoint.host, printable(claimed)));
    return endpoint.host;
}

// The Kerberos realm of the directory: its domain, in capitals.
QString directoryRealm(const QString& namingContext) { return dnsDomainOfDn(namingContext).toUpper(); }

}  // namespace

// A host-based service name ("ldap@host", the only form the SASL GSSAPI
// mechanism takes) is canonicalised by the Kerberos library as its profile
// says, by default through DNS and reverse DNS. This process's profile starts
// with two settings of its own, ahead of the administrator's files, so that the
// service principal is ldap/<the host named>. The settings live in an
// anonymous memory file, named through /proc by this process's ID.
void keepServiceNamesAsGiven() {
    static std::once_flag once;
    static QByteArray ours;
    std::call_once(once, [] {
        const int fd = ::memfd_create("tavimor-krb5-names", MFD_CLOEXEC);
        if (fd < 0) return;
        static constexpr char kSettings[] =
            "[libdefaults]\n\tdns_canonicalize_hostname = false\n\trdns = false\n";
        if (::write(fd, kSettings, sizeof kSettings - 1) != static_cast<ssize_t>(sizeof kSettings - 1)) {
            ::close(fd);
            return;
        }
        ours = QByteArray("/proc/") + QByteArray::number(::getpid()) + "/fd/" + QByteArray::number(fd);
    });
    if (ours.isEmpty()) return;
    // The administrator's files, as the Kerberos library finds them.
    const QByteArray current = qgetenv("KRB5_CONFIG");
    if (current.startsWith(ours + ':')) return;
    qputenv("KRB5_CONFIG", ours + ':' + (current.isEmpty() ? QByteArray("/etc/krb5.conf") : current));
}

// Opens `ld` again at `uri`, set up by `prepare`.
int reopen(LDAP*& ld, const QByteArray& uri, const std::function<void(LDAP*)>& prepare) {
    ldap_unbind_ext_s(ld, nullptr, nullptr);
    ld = nullptr;
    const int rc = ldap_initialize(&ld, uri.constData());
    if (rc == LDAP_SUCCESS) prepare(ld);
    return rc;
}

QString gssName(gss_name_t name) {
    OM_uint32 minor = 0;
    gss_buffer_desc text = GSS_C_EMPTY_BUFFER;
    if (gss_display_name(&minor, name, &text, nullptr) != GSS_S_COMPLETE) return QString();
    const QString out = QString::fromUtf8(static_cast<const char*>(text.value), static_cast<qsizetype>(text.length));
    gss_release_buffer(&minor, &text);
    return out;
}

QString defaultRealm() {
    krb5_context context = nullptr;
    if (krb5_init_context(&context) != 0) return QString();
    QString out;
    char* realm = nullptr;
    if (krb5_get_default_realm(context, &realm) == 0) {
        out = QString::fromUtf8(realm);
        krb5_free_default_realm(context, realm);
    }
    krb5_free_context(context);
    return out;
}

// The principal a credential cache holds, whether or not its tickets are still valid.
QString cachePrincipal() {
    krb5_context context = nullptr;
    if (krb5_init_context(&context) != 0) return QString();
    QString out;
    krb5_ccache cache = nullptr;
    if (krb5_cc_default(context, &cache) == 0) {
        krb5_principal principal = nullptr;
        if (krb5_cc_get_principal(context, cache, &principal) == 0) {
            char* name = nullptr;
            if (krb5_unparse_name(context, principal, &name) == 0) {
                out = QString::fromUtf8(name);
                krb5_free_unparsed_name(context, name);
            }
            krb5_free_principal(context, principal);
        }
        krb5_cc_close(context, cache);
    }
    krb5_free_context(context);
    return out;
}

TicketState currentTicket() {
    TicketState t;
    OM_uint32 minor = 0;
    const char* cacheName = nullptr;
    // The cache the library would use, for the message; it is not created.
    if (gss_krb5_ccache_name(&minor, nullptr, &cacheName) == GSS_S_COMPLETE && cacheName)
        t.cache = QString::fromUtf8(cacheName);
    gss_cred_id_t cred = GSS_C_NO_CREDENTIAL;
    OM_uint32 lifetime = 0;
    const OM_uint32 major = gss_acquire_cred(&minor, GSS_C_NO_NAME, GSS_C_INDEFINITE, GSS_C_NO_OID_SET,
                                             GSS_C_INITIATE, &cred, nullptr, &lifetime);
    if (GSS_ERROR(major)) {
        // A cache that names its principal but gives no credential holds
        // tickets that have run out.
        t.principal = cachePrincipal();
        t.kind = GSS_ROUTINE_ERROR(major) == GSS_S_CREDENTIALS_EXPIRED || !t.principal.isEmpty()
                     ? TicketState::Expired
                     : TicketState::Missing;
        if (t.kind == TicketState::Missing) t.realm = defaultRealm();
        return t;
    }
    gss_name_t name = GSS_C_NO_NAME;
    // Expired credentials are acquired with no lifetime left, and cannot be asked for their name.
    if (gss_inquire_cred(&minor, cred, &name, &lifetime, nullptr, nullptr) == GSS_S_COMPLETE) {
        t.principal = gssName(name);
        gss_release_name(&minor, &name);
    } else {
        lifetime = 0;
        t.principal = cachePrincipal();
    }
    gss_release_cred(&minor, &cred);
    t.kind = lifetime == 0 ? TicketState::Expired : TicketState::Valid;
    return t;
}

QString ticketProblem(const TicketState& ticket, const QString& host) {
    switch (ticket.kind) {
    case TicketState::Valid:
        return QString();
    case TicketState::Expired:
        return QStringLiteral("The Kerberos ticket%1 has expired (signing in to %2); run: kinit%3")
            .arg(ticket.principal.isEmpty() ? QString() : QStringLiteral(" of ") + ticket.principal, host,
                 ticket.principal.isEmpty() ? QString() : QStringLiteral(" ") + ticket.principal);
    case TicketState::Missing:
        break;
    }
    return QStringLiteral("No Kerberos ticket for signing in to %1 (credential cache %2); run: kinit "
                          "<account>@%3, or set LDAPBINDDN and TAVIMOR_BIND_PASSWORD_FILE for a simple bind")
        .arg(host, ticket.cache.isEmpty() ? QStringLiteral("default") : ticket.cache,
             ticket.realm.isEmpty() ? QStringLiteral("<REALM>") : ticket.realm);
}

QString kerberosUri(const QString& host, int port) {
    const int plain = port == 636 ? 389 : port == 3269 ? 3268 : port;
    return QStringLiteral("ldap://") + host + u':' + QString::number(plain);
}

QString bindWithKerberos(LDAP*& ld, const Endpoint& endpoint, const std::function<void(LDAP*)>& prepare) {
    // The server first: one that cannot be reached is reported as such, with
    // or without a ticket.
    const ServerNames names = serverNamesOf(ld);
    if (names.rc == LDAP_SERVER_DOWN || names.rc == LDAP_CONNECT_ERROR || names.rc == LDAP_TIMEOUT)
        fail(ld, names.rc, QStringLiteral("(connecting to %1)").arg(endpoint.uri()));

    TicketState ticket = currentTicket();
    if (const QString realm = directoryRealm(names.defaultNamingContext); !realm.isEmpty()) ticket.realm = realm;
    const QString problem = ticketProblem(ticket, endpoint.host);
    if (!problem.isEmpty()) {
        if (ld) ldap_unbind_ext_s(ld, nullptr, nullptr);
        ld = nullptr;
        throw ComError(kNoCredentials, problem);
    }

    // The ticket is for ldap/<host>; libldap takes the service's host name
    // from the address it is connected to.
    const QString host = serviceHost(ld, endpoint, names.dnsHostName);
    const QString uri = kerberosUri(host, endpoint.port);
    if (endpoint.ldaps || uri.compare(kerberosUri(endpoint.host, endpoint.port), Qt::CaseInsensitive) != 0) {
        const int rc = reopen(ld, uri.toUtf8(), prepare);
        if (rc != LDAP_SUCCESS) fail(ld, rc, QStringLiteral("(opening %1)").arg(uri));
    }

    keepServiceNamesAsGiven();
    ldap_set_option(ld, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    const int rcProps = ldap_set_option(ld, LDAP_OPT_X_SASL_SECPROPS, kMinimumLayer);
    if (rcProps != LDAP_OPT_SUCCESS) fail(ld, LDAP_LOCAL_ERROR, QStringLiteral("(SASL security properties)"));
    int rc = ldap_sasl_interactive_bind_s(ld, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET, saslDefaults,
                                          nullptr);
    if (rc != LDAP_SUCCESS)
        fail(ld, rc, QStringLiteral("(signing in to %1 with Kerberos: %2)").arg(host, diagnostic(ld, rc)));

    // The library refuses a weaker layer already; a session without one must
    // never carry on.
    // The library writes a ber_len_t here, whatever the SASL library's own type.
    ber_len_t ssf = 0;
    if (ldap_get_option(ld, LDAP_OPT_X_SASL_SSF, &ssf) != LDAP_OPT_SUCCESS || ssf < kMinimumSsf)
        fail(ld, LDAP_STRONG_AUTH_REQUIRED,
             QStringLiteral("(signing in to %1 with Kerberos: security layer of %2 bits)")
                 .arg(host)
                 .arg(static_cast<qulonglong>(ssf)));

    char* user = nullptr;
    QString principal;
    if (ldap_get_option(ld, LDAP_OPT_X_SASL_USERNAME, &user) == LDAP_OPT_SUCCESS && user) {
        principal = QString::fromUtf8(user);
        ldap_memfree(user);
    }
    return principal;
}

}  // namespace platform::directory
