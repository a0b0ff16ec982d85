#pragma once
// The system's logs as the trail uses them: the journal (structured fields,
// through libsystemd) and, where no journal runs, syslog.

#include "platform/audit/Entry.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace platform::audit {

// Sends the entry to the system journal with SYSLOG_IDENTIFIER=tavimor and one
// field per value (TAVIMOR_WHO, TAVIMOR_OBJECT, TAVIMOR_BEFORE, ...), each
// escaped to one line. False when no journal runs (its socket is missing or
// refuses the entry).
bool sendToJournal(const Entry& entry);

// Sends the entry's text line to syslog (facility authpriv) when a syslog
// daemon listens on /dev/log. False when none does.
bool sendToSyslog(const Entry& entry);

// The entries of SYSLOG_IDENTIFIER=tavimor that the journal holds and this
// user may read, since `since` when given. False with `problem` set when the
// journal's files cannot be opened; a machine without journal files holds none.
bool readJournal(const std::optional<QDateTime>& since, std::vector<Entry>& out, QString* problem);

}  // namespace platform::audit
