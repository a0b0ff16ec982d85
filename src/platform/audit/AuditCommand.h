#pragma once
// `tavimorctl audit [--since TIME] [--json]`: the trail read back, one entry a
// line, or as JSON.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace platform::audit {

inline constexpr int kAuditOk = 0;
inline constexpr int kAuditUnreadable = 1;  // some of the trail could not be read (what could is printed)
inline constexpr int kAuditUsage = 2;

// `arguments` start with the command's own name ("audit"), as
// QCommandLineParser expects. Prints the entries to `out` and problems to
// `err`; answers kAuditOk, kAuditUsage or kAuditUnreadable.
//   --since TIME  entries from TIME on: ISO 8601 ("2026-12-07", "2026-12-07T08:00",
//                 "2026-12-07T08:00:00+01:00"; without a zone, UTC), or back from
//                 now ("-90s", "-30m", "-1h", "-7d")
//   --json        a JSON array of entry objects (the keys of the JSON-lines file)
int auditCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// TIME as --since reads it, against `now`; nothing when it is neither form.
std::optional<QDateTime> parseSince(const QString& text, const QDateTime& now);

}  // namespace platform::audit
