// The directory query dialect: any text either parses or is refused with
// QueryError, and what parses becomes a well-formed LDAP filter, so that no
// value can end or restructure it.

#include "FuzzTarget.h"
#include "platform/directory/AdsiQuery.h"

namespace {

// One parenthesised group, balanced, with nothing after its closing parenthesis;
// parentheses inside values are escaped (\28, \29), so every literal one counts.
bool wellFormedFilter(const QString& f) {
    if (!f.startsWith(u'(') || !f.endsWith(u')')) return false;
    int depth = 0;
    for (qsizetype i = 0; i < f.size(); ++i) {
        if (f[i] == u'(') ++depth;
        if (f[i] == u')' && --depth == 0 && i != f.size() - 1) return false;
        if (depth < 0) return false;
        if (f[i] == u'\0') return false;
    }
    return depth == 0;
}

}  // namespace

// The input as a value the program quotes into its own queries (escaped for the
// filter, apostrophes doubled): it must come out as exactly that one comparison.
void quotedValue(const QString& value) {
    using namespace platform::directory;
    if (value.isEmpty()) return;
    const QString escaped = escapeLdapFilterValue(value);
    const QString quoted = QString(escaped).replace(u'\'', QStringLiteral("''"));
    QString filter;
    try {
        filter = AdsiQuery::parse(QStringLiteral("SELECT cn FROM 'LDAP://h' WHERE mail='") + quoted + u'\'').filter;
    } catch (const QueryError& e) {
        TV_FUZZ_CHECK(false, value + QStringLiteral(" refused: ") + QString::fromUtf8(e.what()));
    }
    TV_FUZZ_CHECK(filter == QStringLiteral("(mail=") + escaped + u')', filter);
}

TV_FUZZ_TARGET(adsi_query)(const uint8_t* data, size_t size) {
    using namespace platform::directory;
    const QString text = fuzzing::text(data, size);
    quotedValue(text);
    AdsiQuery q;
    try {
        q = AdsiQuery::parse(text);
    } catch (const QueryError&) {
        return;
    }
    TV_FUZZ_CHECK(wellFormedFilter(q.filter), q.filter);
    TV_FUZZ_CHECK(!q.attributes.isEmpty(), text);
}
