#include "engine/ChangeAudit.h"

#include "rules/StoreTag.h"

namespace engine {

namespace audit = platform::audit;
using Kind = ChangeStep::Kind;

platform::audit::Entry auditEntry(const ChangeStep& s, bool done, const QString& why) {
    audit::Entry e;
    e.object = s.target;
    e.done = done;
    e.error = done ? QString() : why;
    const QString none = QStringLiteral("none");
    switch (s.kind) {
    case Kind::Marker:
        e.action = QString::fromLatin1(audit::kMarker);
        e.before = s.before;
        e.after = s.after;
        break;
    case Kind::JournalRecipient:
        e.action = QString::fromLatin1(audit::kJournalRecipient);
        e.before = rules::journalPart(s.before);
        e.after = s.recipient.kind == JournalRecipientChange::Kind::Set ? s.recipient.dn : QString();
        break;
    case Kind::CreateRegistration:
        e.action = QString::fromLatin1(audit::kRegistrationItem);
        e.before = none;
        e.after = QStringLiteral("present, forwarding %1, Both %2")
                      .arg(s.forwarding.isEmpty() ? none : s.forwarding,
                           s.both ? QStringLiteral("on") : QStringLiteral("off"));
        break;
    default:  // the registration item removed
        e.action = QString::fromLatin1(audit::kRegistrationItem);
        e.before = QStringLiteral("present");
        e.after = none;
        break;
    }
    return e;
}

}  // namespace engine
