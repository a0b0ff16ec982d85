// The text rules of per-user journaling: exclusion markers, the forwarding text
// and the store tag. The input is split at its first two 0x01 bytes into three
// texts; what must hold is checked for each rule.

#include "FuzzTarget.h"
#include "rules/Markers.h"
#include "rules/ForwardingText.h"
#include "rules/StoreTag.h"

#include <QStringList>

namespace {

QString withoutNul(QString s) { return s.remove(QChar(0)); }

void markers(const QString& value) {
    for (int bits = 0; bits < 4; ++bits) {
        const rules::Switches wanted{(bits & 1) == 0, (bits & 2) == 0};
        const QString written = rules::composeMarkers(value, wanted);
        const rules::Switches read = rules::readMarkers(written);
        // A switch turned off reads back off, whatever text the value held.
        TV_FUZZ_CHECK(wanted.ingoing || !read.ingoing, written);
        TV_FUZZ_CHECK(wanted.outgoing || !read.outgoing, written);
    }
    (void)rules::readMarkers(value);
}

void forwarding(const QString& text, const QString& name, const QString& address) {
    const rules::ForwardingName split = rules::splitForwardingText(text);
    TV_FUZZ_CHECK(!split.address.contains(u'<') && !split.address.contains(u'>'), split.address);

    // What the recipient picker writes splits back into its two parts.
    const QString n = rules::trimBlanks(QString(name).remove(u'<').remove(u'>'));
    const QString a = rules::trimBlanks(QString(address).remove(u'<').remove(u'>'));
    if (n.isEmpty() || a.isEmpty()) return;
    const rules::ForwardingName back = rules::splitForwardingText(n + QStringLiteral(" <") + a + u'>');
    TV_FUZZ_CHECK(back.displayName == n && back.address == a, n + QStringLiteral(" | ") + a);
}

void storeTag(const QString& tag, const QString& journal, const QString& forwardingText) {
    const rules::StoreTag read = rules::readStoreTag(tag);
    TV_FUZZ_CHECK(read.journal == rules::journalPart(tag), tag);
    TV_FUZZ_CHECK(!rules::readStoreTag(rules::withBoth(tag, false)).both, tag);

    const QString j = withoutNul(journal);
    const QString f = withoutNul(forwardingText);
    if (j.isEmpty()) return;
    const QString composed = rules::composeStoreTag(j, f);
    const rules::StoreTag t = rules::readStoreTag(composed);
    TV_FUZZ_CHECK(t.journal == j && t.forwarding == f && !t.both, composed);
    TV_FUZZ_CHECK(rules::readStoreTag(rules::withBoth(composed, true)).both == !f.isEmpty(), composed);
    if (f.isEmpty()) return;
    // A registration's settings copied into a node's tag read back as written.
    const rules::StoreTag fromItem =
        rules::readStoreTag(rules::fromRegistration(tag.isEmpty() ? j : composed, f, QStringLiteral("x")));
    TV_FUZZ_CHECK(fromItem.journal == j && fromItem.forwarding == f && fromItem.both, f);
}

}  // namespace

TV_FUZZ_TARGET(tag_rules)(const uint8_t* data, size_t size) {
    const QString text = fuzzing::text(data, size);
    QStringList parts = text.split(QChar(1));
    while (parts.size() < 3) parts << QString();
    markers(text);
    forwarding(text, parts[0], parts[1]);
    storeTag(text, parts[1], parts[2]);
}
