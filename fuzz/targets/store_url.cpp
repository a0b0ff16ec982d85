// Store URLs: any text either parses or is refused with a ComError; a parsed URL
// rebuilt and parsed again names the same item; and every name put into a URL
// comes back exactly, or is refused, never read as another name.

#include "FuzzTarget.h"
#include "platform/ComError.h"
#include "platform/store/StoreUrl.h"

namespace {

using platform::store::StoreUrl;

bool same(const StoreUrl& a, const StoreUrl& b) {
    return a.form == b.form && a.host == b.host && a.domainFolder == b.domainFolder && a.segments == b.segments;
}

QString describe(const StoreUrl& u) {
    return u.toString() + QStringLiteral(" [") + u.domainFolder + QStringLiteral("|") +
           u.segments.join(QStringLiteral("|")) + QStringLiteral("]");
}

}  // namespace

TV_FUZZ_TARGET(store_url)(const uint8_t* data, size_t size) {
    const QString text = fuzzing::text(data, size);
    try {
        const StoreUrl u = StoreUrl::parse(text);
        const StoreUrl again = StoreUrl::parse(u.toString());
        TV_FUZZ_CHECK(same(u, again), describe(u) + QStringLiteral(" became ") + describe(again));
    } catch (const platform::ComError&) {
    }

    // The whole input as one name below a mailbox root (an empty name is never
    // put into a URL: its segment would vanish).
    if (text.isEmpty()) return;
    const StoreUrl base = StoreUrl::parse(QStringLiteral("http://exch01/exadmin/tavimor.lab/mbx"));
    const QString url = base.toString() + QLatin1Char('/') + platform::store::encodeName(text);
    try {
        const StoreUrl named = StoreUrl::parse(url);
        TV_FUZZ_CHECK(named.segments.size() == 2 && named.segments.last() == text,
                      text + QStringLiteral(" became ") + describe(named));
    } catch (const platform::ComError&) {
        // Refused names: blank, "." or "..", or holding a slash or NUL.
        const QString t = text.trimmed();
        TV_FUZZ_CHECK(t.isEmpty() || text == QLatin1String(".") || text == QLatin1String("..") ||
                          text.contains(u'/') || text.contains(QChar(0)),
                      text);
    }
}
