#pragma once
// The decisions of applying staged changes, read from the panel model: what
// happens to the store's journal recipient and tag, what a user's
// extensionAttribute10 becomes, and whether the registration item is created.

#include "panel/PanelModel.h"
#include "rules/Markers.h"

#include <QString>
#include <QVariant>

namespace engine {

// What the store's journal recipient write does: set the newly picked mailbox,
// delete the recipient (journal mailbox removed), or leave it (only the
// forwarding recipient changed).
struct JournalRecipientChange {
    enum class Kind { Keep, Set, Delete };
    Kind kind = Kind::Keep;
    QString dn;  // with Set
};
JournalRecipientChange journalRecipientChange(const panel::StagedRecipient& journal);

// The store tag after a successful journal recipient write: the picked mailbox,
// none when it was removed, else the journal field as it was; then the newly
// picked forwarding text beside it. "Both" is dropped (it is put back when its
// own box is staged).
QString rebuiltStoreTag(const QString& oldTag, const panel::StagedRecipient& journal,
                        const panel::StagedRecipient& forwarding);

// What one staged user's extensionAttribute10 becomes: the value as read with the
// markers recomposed from the switches; a null value (clear the attribute) when
// nothing is left.
QVariant markerValue(const QString& storedValue, const rules::Switches& switches);

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
