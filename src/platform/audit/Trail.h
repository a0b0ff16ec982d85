#pragma once
// The audit trail: where each write's entry is kept, and reading it back.
//
// An entry goes to the system journal. Where no journal runs, it goes to syslog
// (when a daemon listens on /dev/log), which cannot be read back, so it is also
// kept in the per-user file $XDG_STATE_HOME/tavimor/audit.jsonl (by default
// ~/.local/state/tavimor/audit.jsonl; folder 0700, file 0600), unless the file
// named by TAVIMOR_AUDIT_FILE took it. TAVIMOR_AUDIT_FILE, when set, gets every
// entry as well, journal or not. Both files hold one JSON object a line.

#include "platform/audit/Entry.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace platform::audit {

// The file TAVIMOR_AUDIT_FILE names ("" when unset).
QString namedFile();
// The per-user file where no journal runs.
QString fallbackFile();

// Records one write. The id, time, local account and program are filled in
// when empty. Answers "" when the entry was kept everywhere it was meant to
// go, else what went wrong (the entry may still be kept elsewhere).
QString record(Entry entry);

// Every entry the journal and the two files hold (each once, oldest first),
// since `since` when given. What could not be read is said in `problem`; the
// entries that could be read are answered all the same.
std::vector<Entry> readTrail(std::optional<QDateTime> since, QString* problem);

}  // namespace platform::audit
