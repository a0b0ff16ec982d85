#include "sink/SinkLog.h"

#include <mutex>
#include <syslog.h>

namespace sink {
namespace {

// A log line stays one line: control characters (from values a message
// carried) are written as \xNN.
QByteArray oneLine(const QString& line) {
    QByteArray out;
    for (const char c : line.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else out += c;
    }
    return out;
}

}  // namespace

SyslogLog::SyslogLog() {
    static std::once_flag once;
    std::call_once(once, [] { ::openlog("tavimor-sink", LOG_PID | LOG_NDELAY, LOG_MAIL); });
}

void SyslogLog::info(const QString& line) { ::syslog(LOG_MAIL | LOG_INFO, "%s", oneLine(line).constData()); }

void SyslogLog::error(const QString& line) { ::syslog(LOG_MAIL | LOG_ERR, "%s", oneLine(line).constData()); }

}  // namespace sink
