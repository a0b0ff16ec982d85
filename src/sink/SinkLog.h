#pragma once
// The sink's log: syslog, mail facility, tag "tavimor-sink" (journalctl -t tavimor-sink).

#include "sink/SinkServices.h"

namespace sink {

class SyslogLog : public Log {
public:
    SyslogLog();
    void info(const QString& line) override;
    void error(const QString& line) override;
};

}  // namespace sink
