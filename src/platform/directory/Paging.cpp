#include "platform/directory/Paging.h"

#include "platform/directory/LdapErrors.h"

#include <ldap.h>

#include <algorithm>

namespace platform::directory {

PageGuard::PageGuard(int sizeLimit, int pageSize) {
    const long long entries = sizeLimit > 0 ? sizeLimit : kUnlimitedEntries;
    const long long size = std::max(pageSize, 1);
    budget_ = static_cast<int>(std::min<long long>(2 * ((entries + size - 1) / size) + 1, 1'000'000'000));
}

bool PageGuard::ends(bool pageHadEntries, const PageMark& page, const QString& server) {
    if (!pageHadEntries) return true;
    ++pages_;
    if (!seen_.emplace(page.cookie, page.firstDn).second)
        throwLdapError(LDAP_LOOP_DETECT,
                       QStringLiteral("(the server %1 sent page %2 of a paged search as it had sent an "
                                      "earlier page; the search was stopped)")
                           .arg(server)
                           .arg(pages_));
    if (pages_ >= budget_)
        throwLdapError(LDAP_LOOP_DETECT,
                       QStringLiteral("(the paged search on %1 ran past %2 pages without ending; the search was "
                                      "stopped)")
                           .arg(server)
                           .arg(budget_));
    return false;
}

}  // namespace platform::directory
