#pragma once
// The ADSI query dialect, read into an LDAP search:
//   SELECT attr, ... FROM 'LDAP://host[/dn]' | 'GC://host[/dn]' [WHERE condition] [ORDER BY attr [ASC|DESC]]
// The condition compares attributes with quoted values ('' stands for one
// apostrophe), joined by AND, OR, NOT and parentheses; attr='*' means the
// attribute is present, and * inside a value is a wildcard, as in an LDAP filter.

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace platform::directory {

struct AdsiUrl {
    enum class Kind { Ldap, GlobalCatalog };
    Kind kind = Kind::Ldap;
    QString host;  // empty: this computer's domain controller
    int port = 0;  // 0: the service's default
    QString dn;    // empty: the whole domain (LDAP) or forest (GC)

    // Parses "LDAP://host", "LDAP://host:port/dn", "LDAP://dn", "GC://..." and
    // "LDAP://RootDSE" (dn "RootDSE"). Throws QueryError when it is none of these.
    static AdsiUrl parse(const QString& text);
    QString scheme() const { return kind == Kind::Ldap ? QStringLiteral("LDAP") : QStringLiteral("GC"); }
};

struct AdsiQuery {
    QStringList attributes;  // as written
    AdsiUrl from;
    QString filter;          // LDAP filter text
    QString orderBy;         // empty: unordered
    bool descending = false;

    // Throws QueryError with a description of what is wrong, also when the
    // condition nests parentheses and NOTs more than 64 levels deep.
    static AdsiQuery parse(const QString& text);
};

class QueryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Escapes a value so an LDAP filter reads it literally (RFC 4515).
QString escapeLdapFilterValue(const QString& value);

}  // namespace platform::directory
