#include "sink/SinkLog.h"

#include <mutex>
#include <syslog.h>

namespace sink {

SyslogLog::SyslogLog() {
    static std::once_flag once;
    std::call_once(once, [] { ::openlog("tavimor-sink", LOG_PID | LOG_NDELAY, LOG_MAIL); });
}

void SyslogLog::info(const QString& line) { ::syslog(LOG_MAIL | LOG_INFO, "%s", line.toUtf8().constData()); }

void SyslogLog::error(const QString& line) { ::syslog(LOG_MAIL | LOG_ERR, "%s", line.toUtf8().constData()); }

}  // namespace sink
