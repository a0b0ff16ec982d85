#pragma once
// The milter's settings: its command line, with defaults from the environment
// (/etc/default/tavimor-milter under systemd).
//
//   -p SOCKET  / TAVIMOR_MILTER_SOCKET      libmilter's form: inet:PORT@HOST, unix:PATH
//   -f                                      stay in the foreground
//   -u USER    / TAVIMOR_MILTER_USER        the account to run as when started as root (tavimor-milter)
//   --timeout SECONDS / TAVIMOR_MILTER_TIMEOUT        per message (60; below the MTA's milter timeouts)
//   --max-size MB     / TAVIMOR_MILTER_MAX_SIZE_MB    above it only the headers are journaled (25)
//   --on-failure tempfail|accept / TAVIMOR_MILTER_ON_FAILURE
//   --workers N       / TAVIMOR_MILTER_WORKERS        delivery processes, each one message at a time (1)

#include <QString>
#include <QStringList>
#include <optional>

namespace milter {

struct Options {
    QString socket;
    bool foreground = false;
    QString user = QStringLiteral("tavimor-milter");
    bool userNamed = false;  // by -u or the environment
    int timeoutSeconds = 60;
    qint64 maxSizeBytes = 25LL * 1024 * 1024;
    bool acceptOnFailure = false;
    int workers = 1;

    // unix:PATH (or local:PATH): the MTA is on this computer.
    bool localSocket() const {
        return socket.startsWith(QLatin1String("unix:")) || socket.startsWith(QLatin1String("local:"));
    }
};

// Exits the program for --help and --version; a usage problem is returned in
// `problem` (and nothing else).
std::optional<Options> parseOptions(const QStringList& arguments, QString& problem);

}  // namespace milter
