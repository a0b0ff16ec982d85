#include "platform/directory/Session.h"

#include "platform/directory/DomainControllers.h"
#include "platform/directory/KerberosBind.h"
#include "platform/directory/LdapErrors.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Paging.h"
#include "platform/directory/PasswordFile.h"
#include "platform/directory/RangedValues.h"
#include "platform/directory/TlsWatchdog.h"

#include <QDeadlineTimer>
#include <QHash>
#include <ldap.h>

#include <cstring>

namespace platform::directory {
namespace {

QHash<QString, std::shared_ptr<Session>>& cache() {
    static QHash<QString, std::shared_ptr<Session>> c;
    return c;
}

// Servers that let a call time out are left alone for a while, so that one
// silent server costs one wait, not one per call.
constexpr int kSilentServerPauseMs = 30000;

QHash<QString, QDeadlineTimer>& silentServers() {
    static QHash<QString, QDeadlineTimer> s;
    return s;
}

bool isSilent(const Endpoint& server) {
    auto it = silentServers().find(server.key());
    if (it == silentServers().end()) return false;
    if (!it->hasExpired()) return true;
    silentServers().erase(it);
    return false;
}

QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }


// Results that say the server is gone or does not answer, rather than that it
// refused what was asked.
bool isConnectionLoss(int rc) { return rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR || rc == LDAP_TIMEOUT; }

// The options of every connection: protocol, bounded waits, and verified TLS
// for whatever goes over TLS.
void prepareConnection(LDAP* ld, const Timeouts& bounds) {
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    timeval network{bounds.networkSeconds, 0};
    timeval operation{bounds.operationSeconds, 0};
    ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &network);
    ldap_set_option(ld, LDAP_OPT_TIMEOUT, &operation);
    watchConnectionSockets(ld);
    // Certificates are always verified, whatever ldap.conf says.
    const int demand = LDAP_OPT_X_TLS_DEMAND;
    ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
    const QByteArray caFile = qgetenv("LDAPTLS_CACERT");
    if (!caFile.isEmpty()) ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
    const int isServer = 0;
    ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &isServer);
}

int defaultPort(bool globalCatalog, bool ldaps) {
    if (globalCatalog) return ldaps ? 3269 : 3268;
    return ldaps ? 636 : 389;
}

std::vector<ServerAddress> knownDomainControllers() {
    try {
        return domainControllers();
    } catch (const ComError&) {
        return {};
    }
}

// The servers a session for `requested` may use, in order: the requested one
// first; when it is one of this computer's domain controllers, the others
// after it.
std::vector<Endpoint> serversFor(const Endpoint& requested, const std::vector<ServerAddress>& dcs) {
    std::vector<Endpoint> out{requested};
    const auto same = [&](const ServerAddress& a) { return a.host.compare(requested.host, Qt::CaseInsensitive) == 0; };
    if (std::none_of(dcs.begin(), dcs.end(), same)) return out;
    for (const ServerAddress& dc : dcs) {
        if (same(dc)) continue;
        Endpoint e;
        e.host = dc.host;
        e.ldaps = dc.ldaps;
        e.globalCatalog = requested.globalCatalog;
        e.port = !requested.globalCatalog && dc.port > 0 ? dc.port : defaultPort(requested.globalCatalog, dc.ldaps);
        out.push_back(std::move(e));
    }
    return out;
}

int ldapScope(Scope s) {
    switch (s) {
    case Scope::Base: return LDAP_SCOPE_BASE;
    case Scope::OneLevel: return LDAP_SCOPE_ONELEVEL;
    case Scope::Subtree: return LDAP_SCOPE_SUBTREE;
    }
    return LDAP_SCOPE_SUBTREE;
}

QVariant valuesOf(LDAP* ld, LDAPMessage* entry, char* attr) {
    berval** vals = ldap_get_values_len(ld, entry, attr);
    if (!vals) return {};
    const int n = ldap_count_values_len(vals);
    QVariant out;
    if (n == 1) {
        out = QString::fromUtf8(vals[0]->bv_val, static_cast<qsizetype>(vals[0]->bv_len));
    } else if (n > 1) {
        QStringList list;
        list.reserve(n);
        for (int i = 0; i < n; ++i) list << QString::fromUtf8(vals[i]->bv_val, static_cast<qsizetype>(vals[i]->bv_len));
        out = list;
    }
    ldap_value_free_len(vals);
    return out;
}

}  // namespace

QString Endpoint::key() const {
    return (globalCatalog ? QStringLiteral("gc|") : QStringLiteral("ldap|")) + host.toLower() + u':' +
           QString::number(port);
}

QString Endpoint::uri() const {
    return (ldaps ? QStringLiteral("ldaps://") : QStringLiteral("ldap://")) + host + u':' + QString::number(port);
}

bool isHostUnderDomains(const QString& host, const QStringList& domains) {
    QString h = host.toLower();
    while (h.endsWith(u'.')) h.chop(1);
    if (h.isEmpty()) return false;
    for (QString d : domains) {
        d = d.toLower();
        while (d.endsWith(u'.')) d.chop(1);
        if (d.isEmpty()) continue;
        if (h == d || h.endsWith(u'.' + d)) return true;
    }
    return false;
}

std::shared_ptr<Session> Session::get(bool globalCatalog, const QString& host, int port) {
    prepareLdapLibrary();
    Endpoint ep;
    ep.globalCatalog = globalCatalog;
    // This computer's domain controller, or the one named like it: its own
    // address (port, TLS from the start) as configured.
    const std::vector<ServerAddress> dcs = host.isEmpty() ? domainControllers() : knownDomainControllers();
    const ServerAddress* dc = dcs.empty() ? nullptr : &dcs.front();
    for (const ServerAddress& d : dcs)
        if (!host.isEmpty() && d.host.compare(host, Qt::CaseInsensitive) == 0) dc = &d;
    ep.host = host.isEmpty() ? dc->host : host;
    ep.ldaps = dc && dc->ldaps;
    const bool named = dc && dc->host.compare(ep.host, Qt::CaseInsensitive) == 0;
    if (port > 0)
        ep.port = port;
    else if (!globalCatalog && named && dc->port > 0)
        ep.port = dc->port;
    else
        ep.port = defaultPort(globalCatalog, ep.ldaps);

    auto& c = cache();
    const QString key = ep.key();
    auto it = c.find(key);
    if (it != c.end()) return it.value();
    std::shared_ptr<Session> s(new Session(ep));
    s->connect();
    c.insert(key, s);
    return s;
}

void Session::dropAll() {
    cache().clear();
    silentServers().clear();
}

Session::Session(Endpoint endpoint) : endpoint_(std::move(endpoint)), server_(endpoint_) {}

Session::~Session() { disconnect(); }

void Session::disconnect() {
    if (ld_) ldap_unbind_ext_s(ld_, nullptr, nullptr);
    ld_ = nullptr;
}

[[noreturn]] void Session::fail(int rc, const QString& detail) {
    if (isConnectionLoss(rc)) {
        // The connection's state is unknown now: the next call makes a new one.
        if (rc == LDAP_TIMEOUT) silentServers().insert(server_.key(), QDeadlineTimer(kSilentServerPauseMs));
        disconnect();
    }
    throwLdapError(rc == LDAP_CONNECT_ERROR ? LDAP_SERVER_DOWN : rc, detail);
}

void Session::connect() {
    disconnect();
    const std::vector<Endpoint> servers = serversFor(endpoint_, knownDomainControllers());
    QStringList tried;
    std::unique_ptr<ComError> last;
    for (const Endpoint& server : servers) {
        if (isSilent(server)) {
            tried << server.host + u':' + QString::number(server.port) + QStringLiteral(" did not answer lately");
            continue;
        }
        try {
            connectTo(server);
            return;
        } catch (const ComError& e) {
            // Only a server that cannot be reached hands over to the next one; a
            // refused sign-in would be refused by every server of the domain.
            if (e.number() != numberForLdapResult(LDAP_SERVER_DOWN) &&
                e.number() != numberForLdapResult(LDAP_TIMEOUT))
                throw;
            tried << e.description();
            last = std::make_unique<ComError>(e);
        }
    }
    if (servers.size() == 1 && last) throw *last;
    throw ComError(numberForLdapResult(LDAP_SERVER_DOWN),
                   descriptionForLdapResult(LDAP_SERVER_DOWN) + QStringLiteral(" (no domain controller answered: ") +
                       tried.join(QStringLiteral("; ")) + u')');
}

void Session::connectTo(const Endpoint& server) {
    disconnect();
    server_ = server;
    const QByteArray uri = server.uri().toUtf8();
    int rc = ldap_initialize(&ld_, uri.constData());
    if (rc != LDAP_SUCCESS) {
        ld_ = nullptr;
        throwLdapError(rc);
    }
    const Timeouts bounds = ldapTimeouts();
    prepareConnection(ld_, bounds);

    if (env("LDAPBINDDN").isEmpty() || env("TAVIMOR_BIND_PASSWORD_FILE").isEmpty()) {
        // Kerberos: plain LDAP, signed and sealed by the Kerberos layer.
        boundAs_ = QStringLiteral("upn:") +
                   bindWithKerberos(ld_, server, [bounds](LDAP* ld) { prepareConnection(ld, bounds); });
        return;
    }
    startTls(bounds.networkSeconds + bounds.operationSeconds);
    bind();
}

// Puts verified TLS under the connection: StartTLS, or the handshake of an
// ldaps:// connection, within `seconds`. Credentials travel only over it.
void Session::startTls(int seconds) {
    int rc;
    {
        TlsWatchdog watchdog(ld_, seconds);
        // ldaps: make the connection (and its handshake) now, within the bound.
        rc = server_.ldaps ? ldap_connect(ld_) : ldap_start_tls_s(ld_, nullptr, nullptr);
        if (watchdog.stop()) rc = LDAP_TIMEOUT;
    }
    if (rc != LDAP_SUCCESS) {
        char* diag = nullptr;
        ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diag);
        const QString detail = QStringLiteral("(TLS to %1: %2)")
                                   .arg(server_.uri(), QString::fromUtf8(diag && *diag ? diag : ldap_err2string(rc)));
        if (diag) ldap_memfree(diag);
        fail(rc == LDAP_TIMEOUT || rc == LDAP_SERVER_DOWN ? rc : LDAP_CONNECT_ERROR, detail);
    }
    if (!ldap_tls_inplace(ld_)) fail(LDAP_CONNECT_ERROR, QStringLiteral("(TLS to %1)").arg(server_.uri()));
}

// Signs the connection in with a simple bind (a bind DN and a password file
// are given), over the verified TLS under it.
void Session::bind() {
    const QString bindDn = env("LDAPBINDDN");
    const QString pwFile = env("TAVIMOR_BIND_PASSWORD_FILE");
    Secret pw;
    try {
        readPasswordFile(pwFile, pw);
    } catch (const ComError&) {
        disconnect();
        throw;
    }
    berval cred{static_cast<ber_len_t>(pw.size()), const_cast<char*>(pw.data())};
    const int rc =
        ldap_sasl_bind_s(ld_, bindDn.toUtf8().constData(), LDAP_SASL_SIMPLE, &cred, nullptr, nullptr, nullptr);
    if (rc != LDAP_SUCCESS) {
        if (!isConnectionLoss(rc)) disconnect();
        fail(rc, QStringLiteral("(signing in to %1)").arg(server_.host));
    }
    // Who this session signed in as, for servers that do not answer "Who am I?".
    boundAs_ = bindDn.contains(u'=') ? QStringLiteral("dn:") + bindDn
               : bindDn.contains(u'\\') ? QStringLiteral("u:") + bindDn
                                        : QStringLiteral("upn:") + bindDn;
}

template <typename Op>
auto Session::withConnection(Op op) -> decltype(op()) {
    if (!ld_) connect();
    try {
        return op();
    } catch (const ComError&) {
        // fail() let go of a connection that died or went silent: make it
        // again once (another domain controller when this one is silent).
        if (ld_) throw;
        connect();
        return op();
    }
}

const RootDse& Session::rootDse() {
    if (!rootDse_) {
        SearchLimits limits;
        limits.chaseReferrals = false;
        const Result r = search(QString(), Scope::Base, QStringLiteral("(objectClass=*)"),
                                {QStringLiteral("dnsHostName"), QStringLiteral("defaultNamingContext"),
                                 QStringLiteral("configurationNamingContext"),
                                 QStringLiteral("rootDomainNamingContext"), QStringLiteral("namingContexts")},
                                limits);
        auto d = std::make_unique<RootDse>();
        if (!r.rows.empty()) {
            const Row& row = r.rows.front();
            d->dnsHostName = row.value(QStringLiteral("dnsHostName")).toString();
            d->defaultNamingContext = row.value(QStringLiteral("defaultNamingContext")).toString();
            d->configurationNamingContext = row.value(QStringLiteral("configurationNamingContext")).toString();
            d->rootDomainNamingContext = row.value(QStringLiteral("rootDomainNamingContext")).toString();
            const QVariant nc = row.value(QStringLiteral("namingContexts"));
            d->namingContexts = nc.typeId() == QMetaType::QStringList ? nc.toStringList() : QStringList{nc.toString()};
        }
        rootDse_ = std::move(d);
    }
    return *rootDse_;
}

Session::Result Session::search(const QString& base, Scope scope, const QString& filter,
                                const QStringList& attributes, const SearchLimits& limits) {
    Result r = withConnection([&] { return searchOnce(base, scope, filter, attributes, limits); });
    // An attribute the server sent in slices is read in full, unless the caller
    // asked for a slice itself.
    if (attributes.filter(QStringLiteral(";range="), Qt::CaseInsensitive).isEmpty()) {
        SearchLimits one;
        one.chaseReferrals = false;
        completeRangedValues(r.rows, [&](const QString& dn, const QString& slice) {
            return withConnection([&] {
                return searchOnce(dn, Scope::Base, QStringLiteral("(objectClass=*)"), {slice}, one);
            }).rows;
        });
    }
    return r;
}

Session::Result Session::searchOnce(const QString& base, Scope scope, const QString& filter,
                                    const QStringList& attributes, const SearchLimits& limits) {
    Result result;
    const QString scheme = endpoint_.globalCatalog ? QStringLiteral("GC://") : QStringLiteral("LDAP://");
    const QString pathPrefix = scheme + endpoint_.host + u'/';

    // Attribute list without the synthesized ones; none means all.
    std::vector<QByteArray> attrBytes;
    bool all = attributes.isEmpty();
    for (const QString& a : attributes) {
        if (a == QStringLiteral("*")) all = true;
        if (a.compare(QStringLiteral("adspath"), Qt::CaseInsensitive) == 0) continue;
        attrBytes.push_back(a.toUtf8());
    }
    std::vector<char*> attrs;
    if (!all) {
        for (auto& b : attrBytes) attrs.push_back(b.data());
        if (attrs.empty()) attrs.push_back(const_cast<char*>(LDAP_NO_ATTRS));
        attrs.push_back(nullptr);
    }

    const QByteArray baseBytes = base.toUtf8();
    const QByteArray filterBytes = filter.toUtf8();
    const int pageSize = limits.pageSize > 0 ? limits.pageSize : 1000;
    timeval timeout{limits.timeLimitSeconds + 5, 0};
    berval* cookie = nullptr;
    PageGuard pages(limits.sizeLimit, pageSize);
    int total = 0;
    bool truncated = false;

    for (;;) {
        LDAPControl* page = nullptr;
        int rc = ldap_create_page_control(ld_, pageSize, cookie, 0, &page);
        if (rc != LDAP_SUCCESS) {
            ber_bvfree(cookie);
            throwLdapError(rc);
        }
        LDAPControl* serverControls[] = {page, nullptr};
        LDAPMessage* res = nullptr;
        const int remaining = limits.sizeLimit > 0 ? limits.sizeLimit - total : 0;
        rc = ldap_search_ext_s(ld_, baseBytes.constData(), ldapScope(scope), filterBytes.constData(),
                               all ? nullptr : attrs.data(), 0, serverControls, nullptr,
                               limits.timeLimitSeconds > 0 ? &timeout : nullptr, remaining, &res);
        ldap_control_free(page);
        ber_bvfree(cookie);
        cookie = nullptr;
        if (rc != LDAP_SUCCESS && rc != LDAP_SIZELIMIT_EXCEEDED && rc != LDAP_REFERRAL &&
            rc != LDAP_PARTIAL_RESULTS) {
            if (res) ldap_msgfree(res);
            fail(rc, isConnectionLoss(rc) ? QStringLiteral("(searching %1)").arg(server_.host) : QString());
        }
        const int totalBefore = total;
        QString firstDn;

        for (LDAPMessage* m = ldap_first_message(ld_, res); m; m = ldap_next_message(ld_, m)) {
            const int type = ldap_msgtype(m);
            if (type == LDAP_RES_SEARCH_ENTRY) {
                if (limits.sizeLimit > 0 && total >= limits.sizeLimit) {
                    truncated = true;
                    continue;
                }
                Row row;
                char* dn = ldap_get_dn(ld_, m);
                const QString dnText = QString::fromUtf8(dn ? dn : "");
                if (dn) ldap_memfree(dn);
                row.set(QStringLiteral("distinguishedName"), dnText);
                if (total == totalBefore) firstDn = dnText;
                row.set(QStringLiteral("adspath"), pathPrefix + dnText);
                BerElement* ber = nullptr;
                for (char* a = ldap_first_attribute(ld_, m, &ber); a; a = ldap_next_attribute(ld_, m, ber)) {
                    row.set(QString::fromUtf8(a), valuesOf(ld_, m, a));
                    ldap_memfree(a);
                }
                if (ber) ber_free(ber, 0);
                result.rows.push_back(std::move(row));
                ++total;
            } else if (type == LDAP_RES_SEARCH_REFERENCE) {
                char** refs = nullptr;
                if (ldap_parse_reference(ld_, m, &refs, nullptr, 0) == LDAP_SUCCESS && refs) {
                    for (char** r = refs; *r; ++r) result.references << QString::fromUtf8(*r);
                    ber_memvfree(reinterpret_cast<void**>(refs));
                }
            } else if (type == LDAP_RES_SEARCH_RESULT) {
                int err = LDAP_SUCCESS;
                LDAPControl** returned = nullptr;
                char** referrals = nullptr;
                ldap_parse_result(ld_, m, &err, nullptr, nullptr, &referrals, &returned, 0);
                if (referrals) {
                    for (char** r = referrals; *r; ++r) result.references << QString::fromUtf8(*r);
                    ber_memvfree(reinterpret_cast<void**>(referrals));
                }
                if (returned) {
                    LDAPControl* pr = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr);
                    ber_int_t estimate = 0;
                    berval next{0, nullptr};
                    if (pr && ldap_parse_pageresponse_control(ld_, pr, &estimate, &next) == LDAP_SUCCESS &&
                        next.bv_len > 0) {
                        cookie = ber_bvdup(&next);
                    }
                    if (next.bv_val) ber_memfree(next.bv_val);
                    ldap_controls_free(returned);
                }
            }
        }
        ldap_msgfree(res);
        // The limit cut the search short when the server said so, or when it
        // offered another page once the limit was reached.
        if (rc == LDAP_SIZELIMIT_EXCEEDED || (cookie && limits.sizeLimit > 0 && total >= limits.sizeLimit))
            truncated = true;
        if (!cookie || truncated) break;
        const PageMark thisPage{QByteArray(cookie->bv_val, static_cast<qsizetype>(cookie->bv_len)), firstDn};
        bool last = false;
        try {
            last = pages.ends(total != totalBefore, thisPage, server_.host);
        } catch (const ComError&) {
            ber_bvfree(cookie);
            throw;
        }
        if (last) break;
    }
    ber_bvfree(cookie);
    if (truncated)
        noticeOnce(numberForLdapResult(LDAP_SIZELIMIT_EXCEEDED),
                   QStringLiteral("The search of %1 for %2 stopped at %3 after %4 entries; the entries past it are "
                                  "not listed.")
                       .arg(pathPrefix + base, filter,
                            limits.sizeLimit > 0 ? QStringLiteral("the size limit of %1 entries").arg(limits.sizeLimit)
                                                 : QStringLiteral("the server's size limit"))
                       .arg(total));
    return result;
}

void Session::modify(const QString& dn, const std::vector<Modification>& changes) {
    std::vector<LDAPMod> mods(changes.size());
    std::vector<std::vector<QByteArray>> valueBytes(changes.size());
    std::vector<std::vector<berval>> bervals(changes.size());
    std::vector<std::vector<berval*>> bervalPtrs(changes.size());
    std::vector<QByteArray> names(changes.size());
    std::vector<LDAPMod*> modPtrs;
    for (size_t i = 0; i < changes.size(); ++i) {
        const Modification& c = changes[i];
        names[i] = c.attribute.toUtf8();
        mods[i].mod_type = names[i].data();
        mods[i].mod_op = (c.clear ? LDAP_MOD_DELETE : LDAP_MOD_REPLACE) | LDAP_MOD_BVALUES;
        if (!c.clear) {
            for (const QString& v : c.values) valueBytes[i].push_back(v.toUtf8());
            for (auto& b : valueBytes[i]) bervals[i].push_back({static_cast<ber_len_t>(b.size()), b.data()});
            for (auto& bv : bervals[i]) bervalPtrs[i].push_back(&bv);
            bervalPtrs[i].push_back(nullptr);
            mods[i].mod_bvalues = bervalPtrs[i].data();
        } else {
            mods[i].mod_bvalues = nullptr;
        }
        modPtrs.push_back(&mods[i]);
    }
    modPtrs.push_back(nullptr);
    const QByteArray dnBytes = dn.toUtf8();
    // Replacing and clearing give the same result when sent twice, so a write
    // whose connection died may be sent again on a new one.
    withConnection([&] {
        const int rc = ldap_modify_ext_s(ld_, dnBytes.constData(), modPtrs.data(), nullptr, nullptr);
        if (rc == LDAP_NO_SUCH_ATTRIBUTE) {
            // Clearing an attribute that holds no value leaves it clear: not a failure.
            bool onlyClears = true;
            for (const auto& c : changes) onlyClears = onlyClears && c.clear;
            if (onlyClears) return;
        }
        if (rc != LDAP_SUCCESS) fail(rc);
    });
}

QString Session::whoAmI() {
    return withConnection([&] {
        berval* authzid = nullptr;
        const int rc = ldap_whoami_s(ld_, &authzid, nullptr, nullptr);
        if (rc == LDAP_PROTOCOL_ERROR || rc == LDAP_UNWILLING_TO_PERFORM || rc == LDAP_NOT_SUPPORTED) {
            // The server does not know the operation: the name the session signed in with.
            if (boundAs_.isEmpty()) throwLdapError(rc);
            return boundAs_;
        }
        if (rc != LDAP_SUCCESS) fail(rc);
        QString id;
        if (authzid) {
            id = QString::fromUtf8(authzid->bv_val, static_cast<qsizetype>(authzid->bv_len));
            ber_bvfree(authzid);
        }
        return id;
    });
}

const QStringList& Session::forestDomains() {
    if (!forestDomains_) {
        QStringList domains;
        const RootDse& dse = rootDse();
        for (const QString& nc : {dse.rootDomainNamingContext, dse.defaultNamingContext})
            domains << dnsDomainOfDn(nc);
        // Every domain of the forest, as its cross-references name them.
        if (!dse.configurationNamingContext.isEmpty()) {
            SearchLimits limits;
            limits.chaseReferrals = false;
            try {
                const Result r = search(QStringLiteral("CN=Partitions,") + dse.configurationNamingContext,
                                        Scope::OneLevel, QStringLiteral("(&(objectClass=crossRef)(dnsRoot=*))"),
                                        {QStringLiteral("dnsRoot")}, limits);
                for (const Row& row : r.rows) {
                    const QVariant v = row.value(QStringLiteral("dnsRoot"));
                    domains << (v.typeId() == QMetaType::QStringList ? v.toStringList() : QStringList{v.toString()});
                }
            } catch (const ComError&) {
                // The root and this domain remain.
            }
        }
        domains.removeDuplicates();
        domains.removeAll(QString());
        forestDomains_ = std::make_unique<QStringList>(domains);
    }
    return *forestDomains_;
}

}  // namespace platform::directory
