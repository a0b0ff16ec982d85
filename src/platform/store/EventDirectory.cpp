#include "platform/store/EventDirectory.h"

#include "platform/directory/Directory.h"
#include "platform/directory/GroupMembers.h"
#include "platform/directory/Session.h"
#include "platform/store/RecentAnswers.h"
#include "rules/ObjectKind.h"

#include <QSet>

namespace platform::store {
namespace recipients {
namespace {

namespace dir = platform::directory;

const QStringList kAttributes{QStringLiteral("objectClass"), QStringLiteral("mail"), QStringLiteral("mailNickname"),
                              QStringLiteral("homeMDB"), QStringLiteral("extensionAttribute10"),
                              QStringLiteral("sAMAccountType"), QStringLiteral("mAPIRecipient")};

QStringList valuesOf(const dir::Row& row, const char* name) {
    const QVariant v = row.value(QString::fromLatin1(name));
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QStringList) return v.toStringList();
    return {v.toString()};
}

Recipient recipientOf(const dir::Row& row) {
    Recipient r;
    r.dn = valuesOf(row, "distinguishedName").value(0);
    r.kind = rules::objectTypeFromFields(row.value(QStringLiteral("sAMAccountType")),
                                         row.value(QStringLiteral("mAPIRecipient")));
    r.mail = valuesOf(row, "mail").value(0);
    r.alias = valuesOf(row, "mailNickname").value(0);
    r.homeMdb = valuesOf(row, "homeMDB").value(0);
    const QStringList markers = valuesOf(row, "extensionAttribute10");
    r.hasMarkers = !markers.isEmpty();
    r.markers = markers.value(0);
    return r;
}

// The global catalog of this computer's domain controller: recipients are
// looked up forest-wide, as the store resolves them.
std::shared_ptr<dir::Session> catalog() { return dir::Session::get(true, QString()); }

// A search that must give the whole answer: a referral or a continuation
// reference means this server cannot answer for all of it.
std::vector<dir::Row> complete(dir::Session& session, const QString& base, dir::Scope scope, const QString& filter,
                               const QStringList& attributes) {
    dir::SearchLimits limits;
    limits.chaseReferrals = false;
    dir::Session::Result r;
    try {
        r = session.search(base, scope, filter, attributes, limits);
    } catch (const ComError& e) {
        if (e.number() == hr::NoSuchObject) return {};
        throw;
    }
    if (!r.references.isEmpty())
        throw ComError(hr::Fail, QStringLiteral("The directory referred the search for %1 to %2")
                                     .arg(filter, r.references.join(QStringLiteral(", "))));
    return std::move(r.rows);
}

std::vector<dir::Row> rowsOfDn(dir::Session& session, const QString& dn, const QStringList& attributes) {
    if (dn.isEmpty()) return {};
    return complete(session, dn, dir::Scope::Base, QStringLiteral("(objectClass=*)"), attributes);
}

// Of several objects with one address, the mailbox user wins, then any user,
// then the first by name: the same answer every time.
int rank(const Recipient& r) {
    if (r.kind == QLatin1String("user")) return r.homeMdb.isEmpty() ? 1 : 0;
    return 2;
}

// This thread's recent answers, kept as long as the sink keeps its own
// (TAVIMOR_SINK_CACHE_SECONDS, 60 by default; 0 keeps none).
RecentAnswers& recent() {
    thread_local RecentAnswers answers;
    bool set = false;
    const int seconds = qEnvironmentVariableIntValue("TAVIMOR_SINK_CACHE_SECONDS", &set);
    answers.setTtl(set && seconds >= 0 ? seconds * 1000LL : 60000);
    return answers;
}

std::optional<Recipient> lookUp(const QString& address) {
    const QString a = dir::escapeFilterValue(address.trimmed());
    if (a.isEmpty()) return std::nullopt;
    const auto rows = complete(*catalog(), QString(), dir::Scope::Subtree,
                               QStringLiteral("(|(mail=%1)(proxyAddresses=smtp:%1))").arg(a), kAttributes);
    std::optional<Recipient> best;
    for (const dir::Row& row : rows) {
        Recipient r = recipientOf(row);
        if (!best || rank(r) < rank(*best) ||
            (rank(r) == rank(*best) && r.dn.compare(best->dn, Qt::CaseInsensitive) < 0))
            best = std::move(r);
    }
    return best;
}

QString readStamp() {
    // Both sessions usually reach one domain controller, whose two services
    // share one database and one update number.
    const auto gc = catalog(), dc = dir::Session::get(false, QString());
    QString out;
    for (const auto& session : {gc, dc}) {
        if (session == dc && dc->server().host.compare(gc->server().host, Qt::CaseInsensitive) == 0) break;
        const auto rows = complete(*session, QString(), dir::Scope::Base, QStringLiteral("(objectClass=*)"),
                                   {QStringLiteral("highestCommittedUSN")});
        const QString usn = rows.empty() ? QString() : valuesOf(rows.front(), "highestCommittedUSN").value(0);
        if (usn.isEmpty()) throw ComError(hr::Fail, QStringLiteral("The directory gives no update number"));
        out += session->server().host + QLatin1Char(':') + usn + QLatin1Char(';');
    }
    return out;
}

}  // namespace

std::optional<Recipient> byAddress(const QString& address) {
    RecentAnswers& answers = recent();
    if (const auto* kept = answers.find(address)) return *kept;
    std::optional<Recipient> r = lookUp(address);
    answers.keep(address, r);
    return r;
}

std::optional<Recipient> byDn(const QString& dn) {
    const auto rows = rowsOfDn(*catalog(), dn, kAttributes);
    if (rows.empty()) return std::nullopt;
    return recipientOf(rows.front());
}

std::optional<QString> journalRecipientOf(const QString& storeDn) {
    // Stores live in the configuration, which every domain controller holds in full.
    const auto rows = rowsOfDn(*dir::Session::get(false, QString()), storeDn,
                               {QStringLiteral("msExchMessageJournalRecipient")});
    if (rows.empty()) return std::nullopt;
    const QString recipient = valuesOf(rows.front(), "msExchMessageJournalRecipient").value(0);
    if (recipient.isEmpty()) return std::nullopt;
    return recipient;
}

std::optional<std::vector<Recipient>> membersOf(const QString& groupDn) {
    const auto group = byDn(groupDn);
    if (!group || group->kind != QLatin1String("group")) return std::nullopt;
    std::vector<Recipient> out;
    QSet<QString> seen{groupDn.toLower()};
    QStringList groups{groupDn};
    while (!groups.isEmpty()) {
        // Every member in full; nested groups once each, however they nest.
        QStringList fresh;
        for (const QString& m : dir::groupMemberDns(QString(), groups.takeFirst()))
            if (!seen.contains(m.toLower())) {
                seen.insert(m.toLower());
                fresh << m;
            }
        constexpr qsizetype kBatch = 100;
        for (qsizetype i = 0; i < fresh.size(); i += kBatch) {
            QString filter = QStringLiteral("(|");
            for (const QString& dn : fresh.mid(i, kBatch))
                filter += QStringLiteral("(distinguishedName=%1)").arg(dir::escapeFilterValue(dn));
            filter += QLatin1Char(')');
            for (const dir::Row& row : complete(*catalog(), QString(), dir::Scope::Subtree, filter, kAttributes)) {
                Recipient r = recipientOf(row);
                if (r.kind == QLatin1String("group")) groups << r.dn;
                else out.push_back(std::move(r));
            }
        }
    }
    return out;
}

QString stamp() {
    // A stamp that cannot be read vouches for nothing kept either.
    QString out;
    try {
        out = readStamp();
    } catch (...) {
        recent().stampRead(QString());
        throw;
    }
    recent().stampRead(out);
    return out;
}

}  // namespace recipients

namespace detail {
namespace {

using recipients::Recipient;

void give(const Recipient& r, tv_object_fn fn, void* user) {
    const QByteArray dn = r.dn.toUtf8(), kind = r.kind.toUtf8(), mail = r.mail.toUtf8(), alias = r.alias.toUtf8(),
                     home = r.homeMdb.toUtf8(), markers = r.markers.toUtf8();
    auto opt = [](const QString& s, const QByteArray& b) { return s.isEmpty() ? nullptr : b.constData(); };
    const tv_directory_object object{dn.constData(), kind.constData(), opt(r.mail, mail), opt(r.alias, alias),
                                     opt(r.homeMdb, home), r.hasMarkers ? markers.constData() : nullptr};
    fn(user, &object);
}

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// Runs a directory request; a directory that fails is TV_UNAVAILABLE, and no
// exception crosses into the sink.
template <typename F>
int guarded(F&& work) {
    try {
        return work();
    } catch (const ComError&) {
        return TV_UNAVAILABLE;
    } catch (...) {
        return TV_FAILED;
    }
}

int findAddress(void*, const char* address, tv_object_fn found, void* user) {
    return guarded([&] {
        const auto r = recipients::byAddress(text(address));
        if (!r) return TV_NOT_FOUND;
        give(*r, found, user);
        return TV_OK;
    });
}

int findDn(void*, const char* dn, tv_object_fn found, void* user) {
    return guarded([&] {
        const auto r = recipients::byDn(text(dn));
        if (!r) return TV_NOT_FOUND;
        give(*r, found, user);
        return TV_OK;
    });
}

int journalRecipient(void*, const char* storeDn, tv_text_fn found, void* user) {
    return guarded([&] {
        const auto r = recipients::journalRecipientOf(text(storeDn));
        if (!r) return TV_NOT_FOUND;
        found(user, r->toUtf8().constData());
        return TV_OK;
    });
}

int directoryStamp(void*, tv_text_fn found, void* user) {
    return guarded([&] {
        found(user, recipients::stamp().toUtf8().constData());
        return TV_OK;
    });
}

int groupMembers(void*, const char* groupDn, tv_object_fn member, void* user) {
    return guarded([&] {
        const auto members = recipients::membersOf(text(groupDn));
        if (!members) return TV_NOT_FOUND;
        for (const Recipient& r : *members) give(r, member, user);
        return TV_OK;
    });
}

}  // namespace

void directoryServices(tv_sink_host& host) {
    host.find_address = &findAddress;
    host.find_dn = &findDn;
    host.journal_recipient = &journalRecipient;
    host.group_members = &groupMembers;
    host.directory_stamp = &directoryStamp;
}

}  // namespace detail
}  // namespace platform::store
