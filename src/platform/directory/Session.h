#pragma once
// One authenticated LDAP connection to one directory server (its LDAP or its
// global-catalog service), with verified TLS. Sessions are cached per server for
// the life of the process, so a connection "opened for one call" costs nothing.

#include "platform/directory/Directory.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

typedef struct ldap LDAP;

namespace platform::directory {

struct RootDse {
    QString dnsHostName;
    QString defaultNamingContext;
    QString configurationNamingContext;
    QString rootDomainNamingContext;
    QStringList namingContexts;
};

// Where the directory is and how to sign in to it, from the platform's own
// conventions: LDAPURI (or ldap.conf's URI) names this computer's domain
// controller; LDAPBINDDN with TAVIMOR_BIND_PASSWORD_FILE selects a simple bind
// (only over TLS), otherwise SASL GSSAPI with the user's Kerberos ticket.
struct Endpoint {
    QString host;
    int port = 389;
    bool globalCatalog = false;
    bool ldaps = false;  // TLS from the start rather than StartTLS

    QString key() const;
    QString uri() const;
};

class Session {
public:
    // The cached session for a server; `host` empty means this computer's
    // domain controller. Throws ComError when it cannot be reached or bound.
    static std::shared_ptr<Session> get(bool globalCatalog, const QString& host, int port = 0);
    static void dropAll();
    // The host name of this computer's domain controller ("" when none is configured).
    static QString defaultHost();

    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Endpoint& endpoint() const { return endpoint_; }
    const RootDse& rootDse();

    struct Result {
        std::vector<Row> rows;
        QStringList references;
    };
    // `scheme` prefixes the adspath of each row ("LDAP" or "GC").
    Result search(const QString& base, Scope scope, const QString& filter, const QStringList& attributes,
                  const SearchLimits& limits);

    struct Modification {
        QString attribute;
        bool clear = false;
        QStringList values;
    };
    void modify(const QString& dn, const std::vector<Modification>& changes);

    // The authorisation identity of this session: "dn:..." or "u:DOMAIN\\user", or
    // "upn:user@domain" for servers without the "Who am I?" operation.
    QString whoAmI();

private:
    explicit Session(Endpoint endpoint);
    void connect();
    void disconnect();
    Result searchOnce(const QString& base, Scope scope, const QString& filter, const QStringList& attributes,
                      const SearchLimits& limits);

    Endpoint endpoint_;
    LDAP* ld_ = nullptr;
    std::unique_ptr<RootDse> rootDse_;
    QString boundAs_;
};

}  // namespace platform::directory
