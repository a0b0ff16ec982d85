#include "platform/directory/Referrals.h"

#include "platform/directory/LdapErrors.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Session.h"

#include <ldap.h>

#include <algorithm>

namespace platform::directory {

// Follows continuation references the way a Windows client does: a naming
// context the same server holds is searched there; another server is asked in
// turn, and one that cannot be reached is passed over. Credentials go only to
// servers named under this forest's DNS domains (and, as every session, only
// over verified TLS); a referral elsewhere is skipped and noted once.
void followReferences(Session& origin, const QStringList& references, const QString& filter,
                      const QStringList& attrs, const SearchLimits& limits, std::vector<Row>& rows,
                      QSet<QString>& visited, int depth) {
    if (depth > 3) return;
    for (const QString& ref : references) {
        LDAPURLDesc* url = nullptr;
        if (ldap_url_parse(ref.toUtf8().constData(), &url) != LDAP_URL_SUCCESS) continue;
        const QString host = QString::fromUtf8(url->lud_host ? url->lud_host : "");
        const int port = url->lud_port;
        const QString dn = QString::fromUtf8(url->lud_dn ? url->lud_dn : "");
        ldap_free_urldesc(url);
        if (dn.isEmpty() || visited.contains(dn.toLower())) continue;
        visited.insert(dn.toLower());

        SearchLimits sub = limits;
        if (limits.sizeLimit > 0) {
            sub.sizeLimit = limits.sizeLimit - static_cast<int>(rows.size());
            if (sub.sizeLimit <= 0) return;
        }
        std::shared_ptr<Session> holder;
        Session* target = &origin;
        const bool local = std::any_of(origin.rootDse().namingContexts.begin(), origin.rootDse().namingContexts.end(),
                                       [&](const QString& nc) { return nc.compare(dn, Qt::CaseInsensitive) == 0; });
        if (!local && !isHostUnderDomains(host, origin.forestDomains())) {
            noticeOnce(numberForLdapResult(LDAP_REFERRAL),
                       QStringLiteral("A referral to %1 was not followed: that server is not in this forest, so it "
                                      "is not given this program's credentials.")
                           .arg(host.isEmpty() ? QStringLiteral("(no server)") : host));
            continue;
        }
        try {
            if (!local) {
                holder = Session::get(origin.endpoint().globalCatalog, host,
                                      port > 0 && port != LDAP_PORT ? port : 0);
                target = holder.get();
            }
            Session::Result r = target->search(dn, Scope::Subtree, filter, attrs, sub);
            for (Row& row : r.rows) rows.push_back(std::move(row));
            followReferences(*target, r.references, filter, attrs, limits, rows, visited, depth + 1);
        } catch (const ComError&) {
            // An unreachable referral is left out, as the provider does.
        }
    }
}

}  // namespace platform::directory
