#pragma once
// One authenticated LDAP connection to one directory server (its LDAP or its
// global-catalog service), with verified TLS. Sessions are cached per server for
// the life of the process, so a connection "opened for one call" costs nothing.
// A session for this computer's domain controller (or one named like one of
// them) moves to the next domain controller when its server does not answer,
// and a connection that died is made again once, transparently.

#include "platform/directory/Directory.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
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

    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Endpoint& endpoint() const { return endpoint_; }
    // The server the connection is made to now (another domain controller of
    // the same domain after a failover).
    const Endpoint& server() const { return server_; }
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
    // modifyEntries on this session (ModifyPipeline.cpp).
    std::vector<std::optional<ComError>> modifyMany(const std::vector<EntryChange>& changes);

    // The authorisation identity of this session: "dn:..." or "u:DOMAIN\\user", or
    // "upn:user@domain" for servers without the "Who am I?" operation.
    QString whoAmI();

    // The DNS names of this forest's domains (and its root): the only hosts a
    // referral may take this session's credentials to.
    const QStringList& forestDomains();

private:
    explicit Session(Endpoint endpoint);
    void connect();
    void connectTo(const Endpoint& server);
    void startTls(int seconds);
    void bind();
    void disconnect();
    // Runs `op` on a live connection: a connection that died is made again
    // once (on the next domain controller when this one stopped answering).
    template <typename Op>
    auto withConnection(Op op) -> decltype(op());
    [[noreturn]] void fail(int rc, const QString& detail = QString());
    Result searchOnce(const QString& base, Scope scope, const QString& filter, const QStringList& attributes,
                      const SearchLimits& limits);

    Endpoint endpoint_;
    Endpoint server_;
    LDAP* ld_ = nullptr;
    std::unique_ptr<QStringList> forestDomains_;
    std::unique_ptr<RootDse> rootDse_;
    QString boundAs_;
};

// Whether `host` is one of `domains` or a name under one of them.
bool isHostUnderDomains(const QString& host, const QStringList& domains);

}  // namespace platform::directory
