#pragma once
// Recipients as journaling sees them, read from this computer's domain controller
// through the directory layer: by address (mail or SMTP proxy address), by DN, a
// mailbox store's journal recipient and a group's members (nested groups
// expanded). Every value put into a filter is escaped. The functions throw
// ComError when the directory cannot answer. They also serve the sink host's
// directory services (TV_UNAVAILABLE when the directory cannot answer).

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

}  // namespace platform::store::recipients

namespace platform::store::detail {

// Fills the directory members of the host table.
void directoryServices(tv_sink_host& host);

}  // namespace platform::store::detail
