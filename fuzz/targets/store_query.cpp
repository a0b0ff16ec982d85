// The store's query dialect: any text either parses or is refused with a
// ComError, and a parsed condition evaluates against any row without failing.

#include "FuzzTarget.h"
#include "platform/ComError.h"
#include "platform/store/Query.h"

#include <QVariant>

TV_FUZZ_TARGET(store_query)(const uint8_t* data, size_t size) {
    using namespace platform::store;
    const QString text = fuzzing::text(data, size);
    query::SelectQuery q;
    try {
        q = query::parse(text);
    } catch (const platform::ComError&) {
        return;
    }
    TV_FUZZ_CHECK(q.allColumns != !q.columns.isEmpty(), text);
    if (!q.where) return;
    // Rows of several kinds: absent, text, number, boolean properties.
    const QVariant values[] = {QVariant(), QVariant(QStringLiteral("Tavimor.reg")), QVariant(42),
                               QVariant(true), QVariant(QStringLiteral(" 1 ")), QVariant(-0.5)};
    for (const QVariant& v : values) {
        const auto answer = query::evaluate(*q.where, [&](const QString&) { return v; });
        (void)answer;
    }
    (void)q.conditionMentions(QStringLiteral("DAV:ishidden"));
}
