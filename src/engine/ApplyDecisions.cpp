#include "engine/ApplyDecisions.h"

#include "rules/StoreTag.h"

namespace engine {

using namespace rules;

JournalRecipientChange journalRecipientChange(const panel::StagedRecipient& journal) {
    const QString dn = trimBlanks(journal.value);
    if (journal.picked() && !dn.isEmpty()) return {JournalRecipientChange::Kind::Set, dn};
    if (journal.staged()) return {JournalRecipientChange::Kind::Delete, {}};
    return {};
}

QString rebuiltStoreTag(const QString& oldTag, const panel::StagedRecipient& journal,
                        const panel::StagedRecipient& forwarding) {
    const JournalRecipientChange change = journalRecipientChange(journal);
    QString dn;
    if (change.kind == JournalRecipientChange::Kind::Set)
        dn = change.dn;
    else if (change.kind == JournalRecipientChange::Kind::Keep)
        dn = journalPart(oldTag);
    return composeStoreTag(dn, forwarding.picked() ? trimBlanks(forwarding.value) : QString());
}

QVariant markerValue(const QString& storedValue, const rules::Switches& switches) {
    const QString value = rules::composeMarkers(storedValue, switches);
    return value.isEmpty() ? QVariant() : QVariant(value);
}

bool shouldCreateRegItem(bool exists, bool comPlusInstalled, int listCount, int fullyJournaled,
                         const QString& forwarding) {
    if (exists || !comPlusInstalled) return false;
    return listCount != fullyJournaled || !forwarding.isEmpty();
}

}  // namespace engine
