#pragma once
// The milter's log: syslog, facility mail, tag "tavimor-milter"
// (journalctl -t tavimor-milter, or /var/log/mail.log). Lines are sent to the
// system logger's socket with their own tag, so the event sink's openlog() in
// the same process does not change them. Control characters (from values a
// message carried) are written as \xNN, so one entry stays one line.

#include <QString>

namespace milter {

enum class Severity { Info, Warning, Error };

// Also copies every line to standard error (the foreground run in a terminal).
void logToStderr(bool on);
void log(Severity severity, const QString& line);

// `value` with control characters as \xNN and a backslash as \\.
QString escaped(const QString& value);

}  // namespace milter
