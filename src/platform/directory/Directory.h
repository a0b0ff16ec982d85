#pragma once
// The directory as the program sees it: text queries in the ADSI dialect run over a
// connection, rows read by attribute name, and objects bound by path for reading
// and writing single attributes. Everything travels over LDAP with verified TLS.

#include "platform/ComError.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace platform::directory {

// Search options applied to a command, as the ADSI provider's properties.
//  A: single-object look-ups (subtree, no cache, chase referrals).
//  B: list fills (subtree, cached, chase referrals, pages of 100, at most 30000
//     rows, 120 seconds).
//  None: provider defaults.
enum class PropertySet { None, A, B };

struct SearchLimits {
    int pageSize = 0;        // 0: the layer's own paging
    int sizeLimit = 0;       // 0: unlimited
    int timeLimitSeconds = 0;
    bool chaseReferrals = true;
    static SearchLimits of(PropertySet set);
};

// One row: attribute name (case-blind) -> value. An absent attribute reads as a
// null QVariant; a single value as QString; several values as QStringList.
class Row {
public:
    void set(const QString& name, QVariant value);
    QVariant value(const QString& name) const;
    bool has(const QString& name) const;
    void remove(const QString& name);
    QStringList names() const;  // lower case

private:
    QHash<QString, QVariant> values_;  // keys lower case
};

// Forward-read result of a query. Reading a field that the query did not select
// throws, as the provider does; a selected but absent attribute is null.
class RecordSet {
public:
    RecordSet() = default;
    RecordSet(QStringList selected, std::vector<Row> rows);

    bool eof() const { return !open_ || pos_ >= rows_.size(); }
    void moveNext();
    int recordCount() const { return static_cast<int>(rows_.size()); }
    bool isOpen() const { return open_; }
    void close();

    QVariant field(const QString& name) const;           // null when absent
    QString text(const QString& name) const;             // field + "" (null -> "")
    const QStringList& selected() const { return selected_; }

private:
    QStringList selected_;
    std::vector<Row> rows_;
    size_t pos_ = 0;
    bool open_ = false;
};

class Session;  // a bound LDAP connection (internal)

// The provider connection ("Active Directory Provider"). Opening is cheap: the
// network connections behind it come from a process-wide cache, one per server.
class DirectoryConnection {
public:
    DirectoryConnection();
    ~DirectoryConnection();

    void open(const QString& connectionString = QStringLiteral("Active Directory Provider"));
    void close();
    bool isOpen() const { return open_; }

    // Runs a query text of the ADSI dialect; throws ComError when the text is
    // malformed or the directory fails.
    RecordSet execute(const QString& commandText, PropertySet set = PropertySet::None) const;

private:
    bool open_ = false;
};

// A directory object bound by an "LDAP://" or "GC://" path, or the RootDSE.
class DirectoryObject {
public:
    static DirectoryObject bind(const QString& adsPath);  // throws ComError

    const QString& path() const { return path_; }
    const QString& distinguishedName() const { return dn_; }

    // Property by name (case-blind). "EmailAddress" reads the mail attribute.
    // Throws when the property is not set on the object.
    QVariant get(const QString& name) const;

    // Staged writes, sent by setInfo(). putEx with control 1 clears the attribute.
    void put(const QString& name, const QVariant& value);
    void putEx(int control, const QString& name, const QVariant& value = {});
    void setInfo();

    static constexpr int ClearControl = 1;

private:
    struct Change {
        QString name;
        bool clear = false;
        QVariant value;
    };
    QString path_;
    QString dn_;
    std::shared_ptr<Session> session_;
    Row properties_;
    std::vector<Change> pending_;
};

// What the operating system knows about the logged-on user and this computer's
// domain, taken from the directory this computer belongs to.
struct SystemInfo {
    static QString userName();        // distinguished name of the logged-on user
    static QString logonName();       // the user's logon name (sAMAccountName)
    static QString domainDNSName();   // DNS name of this computer's domain
    static QString netbiosDomain();   // NetBIOS name of that domain
};

// Who the directory says the session of `serverPath` ("LDAP://host", "GC://host",
// "" for this computer's domain controller) is signed in as: its "Who am I?"
// answer ("dn:...", "u:DOMAIN\\user"), or the name it bound with when the server
// has no such operation. "" when no session can be had. Never throws.
QString signedInAs(const QString& serverPath);

// Lower-level search for the layers that address directory objects by DN (the
// Exchange management objects): base, scope and an LDAP filter. `serverPath` is
// "LDAP://host", "GC://host" or "" for this computer's domain controller. Every
// row also carries "distinguishedName" and "adspath". Referrals are not chased.
enum class Scope { Base, OneLevel, Subtree };
std::vector<Row> search(const QString& serverPath, const QString& baseDn, Scope scope,
                        const QString& ldapFilter, const QStringList& attributes);

// The DNS domain a DN lies in, from its trailing DC= components ("" when it
// has none): "CN=x,DC=tavimor,DC=lab" gives "tavimor.lab".
QString dnsDomainOfDn(const QString& dn);

// One attribute of one entry set (replacing its values) or cleared.
struct EntryChange {
    QString dn;
    QString attribute;
    bool clear = false;
    QString value;  // without `clear`
};

// Writes the changes through the server of `serverPath` ("LDAP://host",
// "GC://host") on one connection, several on their way at once; one answer per
// change, in the order given: nothing when it was written (clearing a value
// that is not there counts as written), else its failure. A connection that
// dies is made again once and the changes not answered are sent again; when it
// cannot be made, the changes left fail with that failure.
std::vector<std::optional<ComError>> modifyEntries(const QString& serverPath, const std::vector<EntryChange>& changes);

// Escapes a value for an LDAP filter (RFC 4515: * ( ) \ NUL, and every byte
// that is not printable ASCII).
QString escapeFilterValue(const QString& value);

// Escapes a value for a quoted literal of a query text: apostrophes doubled.
QString quoteValue(const QString& value);

// Drops cached connections (tests and unload).
void resetConnectionCache();

}  // namespace platform::directory
