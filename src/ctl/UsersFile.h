#pragma once
// The users of `set --users-from FILE`: CSV lines "address,in,out" (in and out
// "on", "off" or empty for unchanged; further columns are ignored, so the CSV
// of `tavimorctl users` reads back). A first line whose first field is
// "address" is a header; blank lines and lines starting with "#" are skipped.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace ctl {

struct UserSetting {
    QString address;
    std::optional<bool> ingoing;
    std::optional<bool> outgoing;
};

// The largest file read: 16 MiB (some 300,000 lines).
inline constexpr qint64 kUsersFileLimit = 16 * 1024 * 1024;

// Reads the file without waiting on it: a FIFO, device or folder is refused at
// once (never read), as is a file larger than the limit. Throws Error(kUsage)
// naming the file and why.
QByteArray readUsersFile(const QString& path);

// "on" / "off" (also "1"/"0", "yes"/"no", "true"/"false"; letter case
// ignored); empty: unset. Anything else: nothing, and `ok` false.
std::optional<bool> switchValue(const QString& text, bool& ok);

// Parses the CSV; throws Error(kUsage) naming the line of a malformed entry.
std::vector<UserSetting> parseUsers(const QByteArray& csv, const QString& fileName);

}  // namespace ctl
