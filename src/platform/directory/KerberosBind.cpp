#include "platform/directory/KerberosBind.h"

#include "platform/directory/LdapErrors.h"
#include "platform/directory/Session.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_krb5.h>
#include <krb5/krb5.h>
#include <ldap.h>
#include <sasl/sasl.h>

#include <cstring>

namespace platform::directory {
namespace {

// SEC_E_NO_CREDENTIALS: what a Windows client reports without a usable ticket.
constexpr int32_t kNoCredentials = static_cast<int32_t>(0x8009030E);
constexpr char kMinimumLayer[] = "minssf=56";
constexpr int kMinimumSsf = 56;

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

// The server's own name from its RootDSE, which anyone may read before signing in.
QString dnsHostNameOf(LDAP* ld) {
    char attr[] = "dnsHostName";
    char* attrs[] = {attr, nullptr};
    timeval timeout{10, 0};
    LDAPMessage* res = nullptr;
    QString name;
    if (ldap_search_ext_s(ld, "", LDAP_SCOPE_BASE, "(objectClass=*)", attrs, 0, nullptr, nullptr, &timeout, 1,
                          &res) == LDAP_SUCCESS) {
        if (LDAPMessage* entry = ldap_first_entry(ld, res)) {
            if (berval** vals = ldap_get_values_len(ld, entry, attr)) {
                if (vals[0]) name = QString::fromUtf8(vals[0]->bv_val, static_cast<qsizetype>(vals[0]->bv_len));
                ldap_value_free_len(vals);
            }
        }
    }
    if (res) ldap_msgfree(res);
    return name;
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

}  // namespace

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
    const QString problem = ticketProblem(currentTicket(), endpoint.host);
    if (!problem.isEmpty()) {
        if (ld) ldap_unbind_ext_s(ld, nullptr, nullptr);
        ld = nullptr;
        throw ComError(kNoCredentials, problem);
    }

    // The ticket is for ldap/<dnsHostName>; libldap takes the service's host
    // name from the address it is connected to.
    QString host = dnsHostNameOf(ld);
    if (host.isEmpty()) host = endpoint.host;
    const QString uri = kerberosUri(host, endpoint.port);
    if (endpoint.ldaps || uri.compare(kerberosUri(endpoint.host, endpoint.port), Qt::CaseInsensitive) != 0) {
        const int rc = reopen(ld, uri.toUtf8(), prepare);
        if (rc != LDAP_SUCCESS) fail(ld, rc, QStringLiteral("(opening %1)").arg(uri));
    }

    ldap_set_option(ld, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    const int rcProps = ldap_set_option(ld, LDAP_OPT_X_SASL_SECPROPS, kMinimumLayer);
    if (rcProps != LDAP_OPT_SUCCESS) fail(ld, LDAP_LOCAL_ERROR, QStringLiteral("(SASL security properties)"));
    int rc = ldap_sasl_interactive_bind_s(ld, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET, saslDefaults,
                                          nullptr);
    if (rc != LDAP_SUCCESS)
        fail(ld, rc, QStringLiteral("(signing in to %1 with Kerberos: %2)").arg(host, diagnostic(ld, rc)));

    // The library refuses a weaker layer already; a session without one must
    // never carry on.
    sasl_ssf_t ssf = 0;
    if (ldap_get_option(ld, LDAP_OPT_X_SASL_SSF, &ssf) != LDAP_OPT_SUCCESS || ssf < kMinimumSsf)
        fail(ld, LDAP_STRONG_AUTH_REQUIRED,
             QStringLiteral("(signing in to %1 with Kerberos: security layer of %2 bits)").arg(host).arg(ssf));

    char* user = nullptr;
    QString principal;
    if (ldap_get_option(ld, LDAP_OPT_X_SASL_USERNAME, &user) == LDAP_OPT_SUCCESS && user) {
        principal = QString::fromUtf8(user);
        ldap_memfree(user);
    }
    return principal;
}

}  // namespace platform::directory
