#include "platform/store/EventDirectory.h"

#include "platform/directory/Directory.h"
#include "platform/directory/Session.h"

#include <QSet>

namespace platform::store {
namespace recipients {
namespace {

namespace dir = platform::directory;

const QStringList kAttributes{QStringLiteral("objectClass"), QStringLiteral("mail"), QStringLiteral("mailNickname"),
                              QStringLiteral("homeMDB"), QStringLiteral("extensionAttribute10")};

QStringList valuesOf(const dir::Row& row, const char* name) {
    const QVariant v = row.value(QString::fromLatin1(name));
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QStringList) return v.toStringList();
    return {v.toString()};
}

Recipient recipientOf(const dir::Row& row) {
    Recipient r;
    r.dn = valuesOf(row, "distinguishedName").value(0);
    const QStringList classes = valuesOf(row, "objectClass");
    auto has = [&](const char* c) { return classes.contains(QString::fromLatin1(c), Qt::CaseInsensitive); };
    r.kind = has("group")          ? QStringLiteral("group")
             : has("publicFolder") ? QStringLiteral("pf")
             : has("contact")      ? QStringLiteral("contact")
             : has("user")         ? QStringLiteral("user")
                                   : QStringLiteral("other");
    r.mail = valuesOf(row, "mail").value(0);
    r.alias = valuesOf(row, "mailNickname").value(0);
    r.homeMdb = valuesOf(row, "homeMDB").value(0);
    const QStringList markers = valuesOf(row, "extensionAttribute10");
    r.hasMarkers = !markers.isEmpty();
    r.markers = markers.value(0);
    return r;
}

std::vector<dir::Row> rowsOfDn(const QString& dn, const QStringList& attributes) {
    if (dn.isEmpty()) return {};
    try {
        return dir::search(QString(), dn, dir::Scope::Base, QStringLiteral("(objectClass=*)"), attributes);
    } catch (const ComError& e) {
        if (e.number() == hr::NoSuchObject) return {};
        throw;
    }
}

}  // namespace

std::optional<Recipient> byAddress(const QString& address) {
    const QString a = dir::escapeFilterValue(address.trimmed());
    if (a.isEmpty()) return std::nullopt;
    const QString base = dir::Session::get(false, QString())->rootDse().defaultNamingContext;
    const auto rows = dir::search(QString(), base, dir::Scope::Subtree,
                                  QStringLiteral("(|(mail=%1)(proxyAddresses=smtp:%1))").arg(a), kAttributes);
    if (rows.empty()) return std::nullopt;
    return recipientOf(rows.front());
}

std::optional<Recipient> byDn(const QString& dn) {
    const auto rows = rowsOfDn(dn, kAttributes);
    if (rows.empty()) return std::nullopt;
    return recipientOf(rows.front());
}

std::optional<QString> journalRecipientOf(const QString& storeDn) {
    const auto rows = rowsOfDn(storeDn, {QStringLiteral("msExchMessageJournalRecipient")});
    if (rows.empty()) return std::nullopt;
    const QString recipient = valuesOf(rows.front(), "msExchMessageJournalRecipient").value(0);
    if (recipient.isEmpty()) return std::nullopt;
    return recipient;
}

std::optional<std::vector<Recipient>> membersOf(const QString& groupDn) {
    std::vector<Recipient> out;
    QSet<QString> seen;
    QStringList pending{groupDn};
    bool first = true;
    while (!pending.isEmpty()) {
        const QString dn = pending.takeFirst();
        if (seen.contains(dn.toLower())) continue;
        seen.insert(dn.toLower());
        const auto rows = rowsOfDn(dn, kAttributes + QStringList{QStringLiteral("member")});
        if (rows.empty()) {
            if (first) return std::nullopt;
            continue;
        }
        const bool group = recipientOf(rows.front()).kind == QLatin1String("group");
        if (first && !group) return std::nullopt;
        first = false;
        if (group) pending += valuesOf(rows.front(), "member");
        else out.push_back(recipientOf(rows.front()));
    }
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
}

}  // namespace detail
}  // namespace platform::store
