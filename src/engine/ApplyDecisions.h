#pragma once
// The decisions of applying staged changes that need neither widgets nor the
// directory: which controls count as staged, what happens to the store's journal
// recipient and tag, what a user's extensionAttribute10 becomes, and whether the
// registration item is to be created.

#include "users/Markers.h"

#include <QString>
#include <QVariant>
#include <cstdint>

namespace engine {

// A control marks a staged change by a red fore colour (a value put in) or a red
// back colour (a value taken out).
bool isStagedColor(uint32_t foreColor, uint32_t backColor);
// The COM+ boxes are staged when checked and red.
bool isStagedComBox(bool checked, uint32_t foreColor);

// What the store's journal recipient write does: set the newly chosen mailbox,
// delete the recipient (journal mailbox removed), or leave it (only the
// forwarding recipient changed).
struct JournalRecipientChange {
    enum class Kind { Keep, Set, Delete };
    Kind kind = Kind::Keep;
    QString dn;  // with Set
};
// `chosenDn`: the trimmed distinguished name picked since the store was loaded.
JournalRecipientChange journalRecipientChange(const QString& chosenDn, bool journalStaged);

// The store tag after a successful journal recipient write: the chosen mailbox,
// else none when the shown name was cleared, else the journal field as it was;
// then the newly picked forwarding text beside it. "Both" is dropped (it is put
// back when its own box is staged). Inputs are trimmed by the caller.
QString rebuiltStoreTag(const QString& oldTag, const QString& chosenDn, const QString& shownName,
                        const QString& chosenForwarding);

// What one staged user's extensionAttribute10 becomes: the value as read with the
// markers recomposed from the switches; a null value (clear the attribute) when
// nothing is left.
QVariant markerValue(const QString& storedValue, const users::Switches& switches);

// Users counted as fully journaled (no switch off) and as marked.
struct UserCounts {
    int fullyJournaled = 0;
    int marked = 0;
};

// The registration item is created only when it is missing, the hosted
// application is installed, and it is needed: some listed user is not fully
// journaled (or was not written), or messages are forwarded.
bool shouldCreateRegItem(bool exists, bool comPlusInstalled, int listCount, int fullyJournaled,
                         const QString& forwarding);

}  // namespace engine
