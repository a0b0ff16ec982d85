#pragma once
// Recipients as journaling sees them, read through the directory layer: by
// address (mail or SMTP proxy address) and by DN forest-wide in the global
// catalog of this computer's domain controller, a mailbox store's journal
// recipient from the domain controller itself, and a group's members in full
// (nested groups expanded, each once). Of several objects with one address the
// mailbox user wins, then any user, then the first by DN. Every value put into a
// filter is escaped. The functions throw ComError when the directory cannot
// answer, refers elsewhere or answers only in part. They also serve the sink host's
// directory services (TV_UNAVAILABLE when the directory cannot answer).
// Answers by address are kept a moment per thread (RecentAnswers.h); reading
// the stamp forgets them whenever it moved.

#include "platform/plugin/EventSink.h"

#include <QString>
#include <optional>
#include <vector>

namespace platform::store::recipients {

struct Recipient {
    QString dn;
    QString kind;  // "user", "group", "contact", "pf" or "other"
    QString mail;
    QString alias;
    QString homeMdb;
    QString markers;  // extensionAttribute10 ("" when absent)
    bool hasMarkers = false;
};

std::optional<Recipient> byAddress(const QString& address);
std::optional<Recipient> byDn(const QString& dn);
// The DN in msExchMessageJournalRecipient; nothing when the store journals nothing.
std::optional<QString> journalRecipientOf(const QString& storeDn);
// Nothing when there is no such group.
std::optional<std::vector<Recipient>> membersOf(const QString& groupDn);
// The highest update numbers of the servers these functions ask; it changes
// whenever anything in the directory changes.
QString stamp();

}  // namespace platform::store::recipients

namespace platform::store::detail {

// Fills the directory members of the host table.
void directoryServices(tv_sink_host& host);

}  // namespace platform::store::detail
