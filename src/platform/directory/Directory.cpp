#include "platform/directory/Directory.h"

#include "platform/directory/AdsiQuery.h"
#include "platform/directory/Referrals.h"
#include "platform/directory/Session.h"

#include <ldap.h>

#include <QSet>
#include <algorithm>

namespace platform::directory {
namespace {

constexpr int32_t kItemNotFound = static_cast<int32_t>(0x800A0CC1);
constexpr int32_t kNoCurrentRecord = static_cast<int32_t>(0x800A0BCD);
constexpr int32_t kBadPathname = static_cast<int32_t>(0x80005000);
constexpr int32_t kPropertyNotFound = static_cast<int32_t>(0x8000500D);

QString text(const QVariant& v) {
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().value(0);
    return v.toString();
}

AdsiUrl parsePath(const QString& path) {
    try {
        return AdsiUrl::parse(path);
    } catch (const QueryError& e) {
        throw ComError(kBadPathname, QStringLiteral("An invalid directory pathname was passed. ") +
                                         QString::fromUtf8(e.what()));
    }
}

std::shared_ptr<Session> sessionFor(const AdsiUrl& url) {
    return Session::get(url.kind == AdsiUrl::Kind::GlobalCatalog, url.host, url.port);
}

void sortRows(std::vector<Row>& rows, const QString& attribute, bool descending) {
    struct Keyed {
        QString key;
        bool present;
        size_t index;
    };
    std::vector<Keyed> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const QVariant v = rows[i].value(attribute);
        keys.push_back({text(v).toCaseFolded(), !v.isNull(), i});
    }
    std::stable_sort(keys.begin(), keys.end(), [descending](const Keyed& a, const Keyed& b) {
        if (a.present != b.present) return a.present;  // entries without the attribute come last
        const int c = QString::compare(a.key, b.key);
        return descending ? c > 0 : c < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (const Keyed& k : keys) sorted.push_back(std::move(rows[k.index]));
    rows = std::move(sorted);
}

}  // namespace

SearchLimits SearchLimits::of(PropertySet set) {
    SearchLimits l;
    switch (set) {
    case PropertySet::A:
        l.chaseReferrals = true;
        break;
    case PropertySet::B:
        l.chaseReferrals = true;
        l.pageSize = 100;
        l.sizeLimit = 30000;
        l.timeLimitSeconds = 120;
        break;
    case PropertySet::None:
        l.chaseReferrals = true;
        break;
    }
    return l;
}

void Row::set(const QString& name, QVariant value) { values_.insert(name.toLower(), std::move(value)); }

QVariant Row::value(const QString& name) const { return values_.value(name.toLower()); }

bool Row::has(const QString& name) const { return values_.contains(name.toLower()); }

void Row::remove(const QString& name) { values_.remove(name.toLower()); }

QStringList Row::names() const { return values_.keys(); }

RecordSet::RecordSet(QStringList selected, std::vector<Row> rows)
    : selected_(std::move(selected)), rows_(std::move(rows)), open_(true) {}

void RecordSet::moveNext() {
    if (eof()) throw ComError(kNoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    ++pos_;
}

void RecordSet::close() {
    open_ = false;
    rows_.clear();
    pos_ = 0;
}

QVariant RecordSet::field(const QString& name) const {
    const bool selected = selected_.contains(QStringLiteral("*")) || selected_.contains(name, Qt::CaseInsensitive);
    if (!selected)
        throw ComError(kItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                     "requested name or ordinal."));
    if (eof())
        throw ComError(kNoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    return rows_[pos_].value(name);
}

QString RecordSet::text(const QString& name) const { return directory::text(field(name)); }

DirectoryConnection::DirectoryConnection() = default;
DirectoryConnection::~DirectoryConnection() = default;

void DirectoryConnection::open(const QString& connectionString) {
    if (connectionString.compare(QStringLiteral("Active Directory Provider"), Qt::CaseInsensitive) != 0)
        throw ComError(hr::InvalidArg, QStringLiteral("Unknown provider connection string '%1'.").arg(connectionString));
    open_ = true;
}

void DirectoryConnection::close() { open_ = false; }

RecordSet DirectoryConnection::execute(const QString& commandText, PropertySet set) const {
    if (!open_)
        throw ComError(hr::NotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
    AdsiQuery q;
    try {
        q = AdsiQuery::parse(commandText);
    } catch (const QueryError& e) {
        throw ComError(hr::CommandError, QStringLiteral("One or more errors occurred during processing of command. ") +
                                             QString::fromUtf8(e.what()));
    }
    const SearchLimits limits = SearchLimits::of(set);
    std::shared_ptr<Session> session = sessionFor(q.from);
    QString base = q.from.dn;
    if (base.isEmpty() && q.from.kind == AdsiUrl::Kind::Ldap) base = session->rootDse().defaultNamingContext;

    QStringList attrs = q.attributes;
    if (!q.orderBy.isEmpty() && !attrs.contains(q.orderBy, Qt::CaseInsensitive) && !attrs.contains(QStringLiteral("*")))
        attrs << q.orderBy;
    Session::Result r = session->search(base, Scope::Subtree, q.filter, attrs, limits);
    if (limits.chaseReferrals && !r.references.isEmpty()) {
        QSet<QString> visited{base.toLower()};
        followReferences(*session, r.references, q.filter, attrs, limits, r.rows, visited, 1);
    }
    if (!q.orderBy.isEmpty()) sortRows(r.rows, q.orderBy, q.descending);
    return RecordSet(q.attributes, std::move(r.rows));
}

DirectoryObject DirectoryObject::bind(const QString& adsPath) {
    const AdsiUrl url = parsePath(adsPath);
    DirectoryObject obj;
    obj.path_ = adsPath;
    obj.session_ = sessionFor(url);
    SearchLimits limits;
    limits.chaseReferrals = false;
    if (url.dn.compare(QStringLiteral("RootDSE"), Qt::CaseInsensitive) == 0) {
        Session::Result r = obj.session_->search(QString(), Scope::Base, QStringLiteral("(objectClass=*)"),
                                                 {QStringLiteral("*")}, limits);
        if (!r.rows.empty()) obj.properties_ = std::move(r.rows.front());
        return obj;
    }
    if (url.dn.isEmpty()) throw ComError(kBadPathname, QStringLiteral("An invalid directory pathname was passed."));
    Session::Result r = obj.session_->search(url.dn, Scope::Base, QStringLiteral("(objectClass=*)"), {}, limits);
    if (r.rows.empty())
        throw ComError(hr::NoSuchObject, QStringLiteral("There is no such object on the server."));
    obj.properties_ = std::move(r.rows.front());
    obj.dn_ = obj.properties_.value(QStringLiteral("distinguishedName")).toString();
    return obj;
}

QVariant DirectoryObject::get(const QString& name) const {
    const QString attr = name.compare(QStringLiteral("EmailAddress"), Qt::CaseInsensitive) == 0 ? QStringLiteral("mail") : name;
    const QVariant v = properties_.value(attr);
    if (v.isNull())
        throw ComError(kPropertyNotFound, QStringLiteral("The directory property cannot be found in the cache."));
    return v;
}

void DirectoryObject::put(const QString& name, const QVariant& value) {
    pending_.push_back({name, false, value});
}

void DirectoryObject::putEx(int control, const QString& name, const QVariant& value) {
    if (control != ClearControl)
        throw ComError(hr::InvalidArg, QStringLiteral("Only clearing an attribute is supported."));
    pending_.push_back({name, true, value});
}

void DirectoryObject::setInfo() {
    if (!session_ || dn_.isEmpty())
        throw ComError(hr::Fail, QStringLiteral("The object is not bound to a directory entry."));
    std::vector<Session::Modification> mods;
    for (const Change& c : pending_) {
        Session::Modification m;
        m.attribute = c.name;
        m.clear = c.clear;
        if (!c.clear) {
            if (c.value.typeId() == QMetaType::Bool)
                m.values << (c.value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            else if (c.value.typeId() == QMetaType::QStringList)
                m.values = c.value.toStringList();
            else
                m.values << c.value.toString();
        }
        mods.push_back(std::move(m));
    }
    if (mods.empty()) return;
    session_->modify(dn_, mods);
    for (const Change& c : pending_) properties_.set(c.name, c.clear ? QVariant() : c.value);
    pending_.clear();
}

std::vector<Row> search(const QString& serverPath, const QString& baseDn, Scope scope, const QString& ldapFilter,
                        const QStringList& attributes) {
    std::shared_ptr<Session> session;
    if (serverPath.isEmpty()) {
        session = Session::get(false, QString());
    } else {
        session = sessionFor(parsePath(serverPath));
    }
    SearchLimits limits;
    limits.chaseReferrals = false;
    return session->search(baseDn, scope, ldapFilter, attributes, limits).rows;
}

namespace {

// The signed-in account's entry: by DN, by user principal name, or by logon name.
Row signedInAccount() {
    auto session = Session::get(false, QString());
    const QString id = session->whoAmI();
    SearchLimits limits;
    limits.chaseReferrals = false;
    const QStringList attrs{QStringLiteral("distinguishedName"), QStringLiteral("sAMAccountName")};
    Session::Result r;
    if (id.startsWith(QStringLiteral("dn:"), Qt::CaseInsensitive)) {
        r = session->search(id.mid(3), Scope::Base, QStringLiteral("(objectClass=*)"), attrs, limits);
    } else {
        const QString domainNc = session->rootDse().defaultNamingContext;
        QString logon;
        if (id.startsWith(QStringLiteral("upn:"), Qt::CaseInsensitive)) {
            const QString upn = id.mid(4);
            r = session->search(domainNc, Scope::Subtree,
                                QStringLiteral("(userPrincipalName=") + escapeFilterValue(upn) + u')', attrs, limits);
            // A logon name means an account of this domain only: a principal of
            // another realm must not be taken for a namesake here.
            const QString realm = upn.section(u'@', 1);
            if (realm.isEmpty() || realm.compare(dnsDomainOfDn(domainNc), Qt::CaseInsensitive) == 0)
                logon = upn.section(u'@', 0, 0);
        } else if (id.startsWith(QStringLiteral("u:"), Qt::CaseInsensitive)) {
            logon = id.mid(2).section(u'\\', -1);
        }
        if (r.rows.empty() && !logon.isEmpty())
            r = session->search(domainNc, Scope::Subtree,
                                QStringLiteral("(sAMAccountName=") + escapeFilterValue(logon) + u')', attrs, limits);
    }
    return r.rows.empty() ? Row() : r.rows.front();
}

}  // namespace

QString signedInAs(const QString& serverPath) {
    try {
        const auto session = serverPath.isEmpty() ? Session::get(false, QString()) : sessionFor(parsePath(serverPath));
        return session->whoAmI();
    } catch (const ComError&) {
        return {};
    } catch (const std::exception&) {
        return {};
    }
}

QString SystemInfo::userName() { return signedInAccount().value(QStringLiteral("distinguishedName")).toString(); }

QString SystemInfo::logonName() { return signedInAccount().value(QStringLiteral("sAMAccountName")).toString(); }

QString SystemInfo::domainDNSName() {
    auto session = Session::get(false, QString());
    return dnsDomainOfDn(session->rootDse().defaultNamingContext);
}

QString SystemInfo::netbiosDomain() {
    auto session = Session::get(false, QString());
    const RootDse& dse = session->rootDse();
    SearchLimits limits;
    limits.chaseReferrals = false;
    const auto r = session->search(QStringLiteral("CN=Partitions,") + dse.configurationNamingContext, Scope::OneLevel,
                                   QStringLiteral("(&(objectClass=crossRef)(nCName=") +
                                       escapeFilterValue(dse.defaultNamingContext) + QStringLiteral("))"),
                                   {QStringLiteral("nETBIOSName")}, limits);
    return r.rows.empty() ? QString() : r.rows.front().value(QStringLiteral("nETBIOSName")).toString();
}

QString escapeFilterValue(const QString& value) { return escapeLdapFilterValue(value); }

QString dnsDomainOfDn(const QString& dn) {
    char* domain = nullptr;
    if (ldap_dn2domain(dn.toUtf8().constData(), &domain) != 0 || !domain) return QString();
    const QString out = QString::fromUtf8(domain);
    ldap_memfree(domain);
    return out;
}

QString quoteValue(const QString& value) {
    QString v = escapeLdapFilterValue(value);
    return v.replace(u'\'', QStringLiteral("''"));
}

void resetConnectionCache() { Session::dropAll(); }

}  // namespace platform::directory
