#include "platform/directory/Session.h"

#include "platform/directory/KerberosBind.h"
#include "platform/directory/LdapErrors.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <netdb.h>
#include <unistd.h>
#include <QRegularExpression>
#include <ldap.h>
#include <sys/stat.h>

#include <cstdlib>

namespace platform::directory {
namespace {

QHash<QString, std::shared_ptr<Session>>& cache() {
    static QHash<QString, std::shared_ptr<Session>> c;
    return c;
}

QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

// The DNS domain of this host: its canonical name less the first label.
QString localDomainName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return QString();
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* info = nullptr;
    QString fqdn = QString::fromLocal8Bit(host);
    if (getaddrinfo(host, nullptr, &hints, &info) == 0 && info) {
        if (info->ai_canonname) fqdn = QString::fromLocal8Bit(info->ai_canonname);
        freeaddrinfo(info);
    }
    const int dot = fqdn.indexOf(u'.');
    return dot > 0 ? fqdn.mid(dot + 1) : QString();
}

struct DefaultServer {
    QString host;
    int port = 0;
    bool ldaps = false;
};

// This computer's domain controller: LDAPURI or ldap.conf's URI, else the
// domain's SRV records.
DefaultServer defaultServer() {
    DefaultServer d;
    char* uris = nullptr;
    if (ldap_get_option(nullptr, LDAP_OPT_URI, &uris) == LDAP_OPT_SUCCESS && uris) {
        const QString first = QString::fromUtf8(uris).split(QRegularExpression(QStringLiteral("[\\s,]+")),
                                                            Qt::SkipEmptyParts).value(0);
        ldap_memfree(uris);
        LDAPURLDesc* url = nullptr;
        if (!first.isEmpty() && ldap_url_parse(first.toUtf8().constData(), &url) == LDAP_URL_SUCCESS) {
            d.host = QString::fromUtf8(url->lud_host ? url->lud_host : "");
            d.port = url->lud_port;
            d.ldaps = QString::fromUtf8(url->lud_scheme).compare(QStringLiteral("ldaps"), Qt::CaseInsensitive) == 0;
            ldap_free_urldesc(url);
        }
    }
    if (d.host.isEmpty()) {
        const QString domain = localDomainName();
        char* list = nullptr;
        if (!domain.isEmpty() && ldap_domain2hostlist(domain.toUtf8().constData(), &list) == LDAP_SUCCESS && list) {
            const QString hostPort = QString::fromUtf8(list).split(u' ', Qt::SkipEmptyParts).value(0);
            ldap_memfree(list);
            d.host = hostPort.section(u':', 0, 0);
        }
    }
    return d;
}

QString readPasswordFile(const QString& path) {
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0)
        throw ComError(hr::FileNotFound, QStringLiteral("The password file %1 cannot be read.").arg(path));
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        throw ComError(hr::AccessDenied,
                       QStringLiteral("The password file %1 may be read by others; it must be private to its owner.")
                           .arg(path));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ComError(hr::FileNotFound, QStringLiteral("The password file %1 cannot be read.").arg(path));
    QByteArray pw = f.readAll();
    while (pw.endsWith('\n') || pw.endsWith('\r')) pw.chop(1);
    return QString::fromUtf8(pw);
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

QString Session::defaultHost() { return defaultServer().host; }

std::shared_ptr<Session> Session::get(bool globalCatalog, const QString& host, int port) {
    const DefaultServer def = defaultServer();
    Endpoint ep;
    ep.host = host.isEmpty() ? def.host : host;
    if (ep.host.isEmpty())
        throw ComError(numberForLdapResult(LDAP_SERVER_DOWN),
                       QStringLiteral("The server is not operational. No domain controller is configured (LDAPURI)."));
    ep.ldaps = def.ldaps;
    ep.globalCatalog = globalCatalog;
    if (port > 0)
        ep.port = port;
    else if (globalCatalog)
        ep.port = ep.ldaps ? 3269 : 3268;
    else if (host.isEmpty() && def.port > 0)
        ep.port = def.port;
    else
        ep.port = ep.ldaps ? 636 : 389;

    auto& c = cache();
    const QString key = ep.key();
    auto it = c.find(key);
    if (it != c.end()) return it.value();
    std::shared_ptr<Session> s(new Session(ep));
    s->connect();
    c.insert(key, s);
    return s;
}

void Session::dropAll() { cache().clear(); }

Session::Session(Endpoint endpoint) : endpoint_(std::move(endpoint)) {}

Session::~Session() { disconnect(); }

void Session::disconnect() {
    if (ld_) ldap_unbind_ext_s(ld_, nullptr, nullptr);
    ld_ = nullptr;
}

void Session::connect() {
    disconnect();
    const QByteArray uri = endpoint_.uri().toUtf8();
    int rc = ldap_initialize(&ld_, uri.constData());
    if (rc != LDAP_SUCCESS) throwLdapError(rc);
    const int version = LDAP_VERSION3;
    ldap_set_option(ld_, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld_, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    timeval network{10, 0};
    ldap_set_option(ld_, LDAP_OPT_NETWORK_TIMEOUT, &network);
    // Certificates are always verified, whatever ldap.conf says.
    const int demand = LDAP_OPT_X_TLS_DEMAND;
    ldap_set_option(ld_, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
    const QByteArray caFile = qgetenv("LDAPTLS_CACERT");
    if (!caFile.isEmpty()) ldap_set_option(ld_, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
    const int isServer = 0;
    ldap_set_option(ld_, LDAP_OPT_X_TLS_NEWCTX, &isServer);

    const QString bindDn = env("LDAPBINDDN");
    const QString pwFile = env("TAVIMOR_BIND_PASSWORD_FILE");
    if (bindDn.isEmpty() || pwFile.isEmpty()) {
        // Kerberos: plain LDAP, signed and sealed by the Kerberos layer.
        boundAs_ = QStringLiteral("upn:") + bindWithKerberos(ld_, endpoint_);
        return;
    }
    if (!endpoint_.ldaps) {
        rc = ldap_start_tls_s(ld_, nullptr, nullptr);
        if (rc != LDAP_SUCCESS) {
            char* diag = nullptr;
            ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diag);
            const QString detail = QStringLiteral("(TLS to %1: %2)").arg(endpoint_.uri(), QString::fromUtf8(diag ? diag : ldap_err2string(rc)));
            if (diag) ldap_memfree(diag);
            disconnect();
            throwLdapError(rc == LDAP_CONNECT_ERROR ? LDAP_SERVER_DOWN : rc, detail);
        }
    }

    const QByteArray pw = readPasswordFile(pwFile).toUtf8();
    berval cred{static_cast<ber_len_t>(pw.size()), const_cast<char*>(pw.constData())};
    rc = ldap_sasl_bind_s(ld_, bindDn.toUtf8().constData(), LDAP_SASL_SIMPLE, &cred, nullptr, nullptr, nullptr);
    if (rc != LDAP_SUCCESS) {
        disconnect();
        throwLdapError(rc, QStringLiteral("(signing in to %1)").arg(endpoint_.host));
    }
    // Who this session signed in as, for servers that do not answer "Who am I?".
    boundAs_ = bindDn.contains(u'=') ? QStringLiteral("dn:") + bindDn
               : bindDn.contains(u'\\') ? QStringLiteral("u:") + bindDn
                                        : QStringLiteral("upn:") + bindDn;
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
    try {
        return searchOnce(base, scope, filter, attributes, limits);
    } catch (const ComError& e) {
        // A connection the server dropped is made again once.
        if (e.number() != numberForLdapResult(LDAP_SERVER_DOWN)) throw;
        connect();
        return searchOnce(base, scope, filter, attributes, limits);
    }
}

Session::Result Session::searchOnce(const QString& base, Scope scope, const QString& filter,
                                    const QStringList& attributes, const SearchLimits& limits) {
    if (!ld_) connect();
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
    int total = 0;

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
            if (rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR) disconnect();
            throwLdapError(rc == LDAP_CONNECT_ERROR ? LDAP_SERVER_DOWN : rc);
        }

        for (LDAPMessage* m = ldap_first_message(ld_, res); m; m = ldap_next_message(ld_, m)) {
            const int type = ldap_msgtype(m);
            if (type == LDAP_RES_SEARCH_ENTRY) {
                if (limits.sizeLimit > 0 && total >= limits.sizeLimit) continue;
                Row row;
                char* dn = ldap_get_dn(ld_, m);
                const QString dnText = QString::fromUtf8(dn ? dn : "");
                if (dn) ldap_memfree(dn);
                row.set(QStringLiteral("distinguishedName"), dnText);
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
        if (!cookie || rc == LDAP_SIZELIMIT_EXCEEDED || (limits.sizeLimit > 0 && total >= limits.sizeLimit))
            break;
    }
    ber_bvfree(cookie);
    return result;
}

void Session::modify(const QString& dn, const std::vector<Modification>& changes) {
    if (!ld_) connect();
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
    int rc = ldap_modify_ext_s(ld_, dnBytes.constData(), modPtrs.data(), nullptr, nullptr);
    if (rc == LDAP_NO_SUCH_ATTRIBUTE) {
        // Clearing an attribute that holds no value leaves it clear: not a failure.
        bool onlyClears = true;
        for (const auto& c : changes) onlyClears = onlyClears && c.clear;
        if (onlyClears) return;
    }
    if (rc == LDAP_SERVER_DOWN) disconnect();
    if (rc != LDAP_SUCCESS) throwLdapError(rc);
}

QString Session::whoAmI() {
    if (!ld_) connect();
    berval* authzid = nullptr;
    const int rc = ldap_whoami_s(ld_, &authzid, nullptr, nullptr);
    if (rc == LDAP_PROTOCOL_ERROR || rc == LDAP_UNWILLING_TO_PERFORM || rc == LDAP_NOT_SUPPORTED) {
        // The server does not know the operation: the name the session signed in with.
        if (boundAs_.isEmpty()) throwLdapError(rc);
        return boundAs_;
    }
    if (rc != LDAP_SUCCESS) throwLdapError(rc);
    QString id;
    if (authzid) {
        id = QString::fromUtf8(authzid->bv_val, static_cast<qsizetype>(authzid->bv_len));
        ber_bvfree(authzid);
    }
    return id;
}

}  // namespace platform::directory
