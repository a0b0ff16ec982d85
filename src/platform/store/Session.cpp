#include "platform/store/Session.h"

#include "platform/store/StoreErrors.h"
#include "platform/store/StoreRoot.h"

namespace platform::store::detail {

std::shared_ptr<Session> Session::forUrl(const StoreUrl& url) {
    auto s = std::make_shared<Session>();
    s->db = openStore(url.domainFolder);
    s->domainFolder = url.domainFolder;
    return s;
}

void Session::check(const StoreUrl& url) const {
    if (!open) err::raise(err::NotOpen, QStringLiteral("The connection to the store is closed"));
    if (url.domainFolder.compare(domainFolder, Qt::CaseInsensitive) != 0)
        err::raise(err::BadUrl, QStringLiteral("The URL %1 lies outside the store of the connection (%2)")
                                    .arg(url.toString(), domainFolder));
}

}  // namespace platform::store::detail
