#include "engine/ApplyDecisions.h"

#include "engine/StoreTag.h"

namespace engine {
namespace {
constexpr uint32_t kStaged = 255;  // red, 0x00BBGGRR
}

bool isStagedColor(uint32_t foreColor, uint32_t backColor) { return foreColor == kStaged || backColor == kStaged; }

bool isStagedComBox(bool checked, uint32_t foreColor) { return checked && foreColor == kStaged; }

JournalRecipientChange journalRecipientChange(const QString& chosenDn, bool journalStaged) {
    if (!chosenDn.isEmpty()) return {JournalRecipientChange::Kind::Set, chosenDn};
    if (journalStaged) return {JournalRecipientChange::Kind::Delete, {}};
    return {};
}

QString rebuiltStoreTag(const QString& oldTag, const QString& chosenDn, const QString& shownName,
                        const QString& chosenForwarding) {
    QString journal;
    if (!chosenDn.isEmpty())
        journal = chosenDn;
    else if (!shownName.isEmpty())
        journal = journalPart(oldTag);
    return composeStoreTag(journal, chosenForwarding);
}

QVariant markerValue(const QString& storedValue, const users::Switches& switches) {
    const QString value = users::composeMarkers(storedValue, switches);
    return value.isEmpty() ? QVariant() : QVariant(value);
}

bool shouldCreateRegItem(bool exists, bool comPlusInstalled, int listCount, int fullyJournaled,
                         const QString& forwarding) {
    if (exists || !comPlusInstalled) return false;
    return listCount != fullyJournaled || !forwarding.isEmpty();
}

}  // namespace engine
