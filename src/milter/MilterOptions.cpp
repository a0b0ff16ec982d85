#include "milter/MilterOptions.h"

#include <QCommandLineParser>
#include <QProcessEnvironment>

namespace milter {

namespace {

// A whole number within [low, high], else none.
std::optional<qint64> number(const QString& text, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

}  // namespace

std::optional<Options> parseOptions(const QStringList& arguments, QString& problem) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    auto fromEnv = [&](const char* name, const QString& fallback) {
        const QString v = env.value(QString::fromLatin1(name));
        return v.isEmpty() ? fallback : v;
    };
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Journals every message the MTA is about to accept (milter protocol), and lets the MTA accept it only "
        "when its journal reports are stored."));
    p.addHelpOption();
    p.addVersionOption();
    const QCommandLineOption socket({QStringLiteral("p"), QStringLiteral("socket")},
                                    QStringLiteral("Where the MTA connects: inet:PORT@HOST or unix:PATH "
                                                   "(TAVIMOR_MILTER_SOCKET)."),
                                    QStringLiteral("SOCKET"));
    const QCommandLineOption foreground({QStringLiteral("f"), QStringLiteral("foreground")},
                                        QStringLiteral("Stay in the foreground."));
    const QCommandLineOption user({QStringLiteral("u"), QStringLiteral("user")},
                                  QStringLiteral("The account to run as when started as root (TAVIMOR_MILTER_USER, "
                                                 "default tavimor-milter)."),
                                  QStringLiteral("USER"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Seconds one message may take, queue included "
                                                    "(TAVIMOR_MILTER_TIMEOUT, default 60)."),
                                     QStringLiteral("SECONDS"));
    const QCommandLineOption maxSize(QStringLiteral("max-size"),
                                     QStringLiteral("Megabytes above which only a message's headers are journaled, "
                                                    "with a note (TAVIMOR_MILTER_MAX_SIZE_MB, default 25)."),
                                     QStringLiteral("MB"));
    const QCommandLineOption onFailure(QStringLiteral("on-failure"),
                                       QStringLiteral("When a report cannot be stored: tempfail (the default; the "
                                                      "MTA answers 4xx and the sender retries) or accept (the "
                                                      "message goes on unjournaled, and the log says so) "
                                                      "(TAVIMOR_MILTER_ON_FAILURE)."),
                                       QStringLiteral("tempfail|accept"));
    const QCommandLineOption workers(QStringLiteral("workers"),
                                     QStringLiteral("Messages journaled at once, each by a delivery process of its "
                                                    "own (TAVIMOR_MILTER_WORKERS, default 1)."),
                                     QStringLiteral("N"));
    p.addOptions({socket, foreground, user, timeout, maxSize, onFailure, workers});
    if (!p.parse(arguments)) {
        problem = p.errorText();
        return std::nullopt;
    }
    if (p.isSet(QStringLiteral("help"))) p.showHelp(0);
    if (p.isSet(QStringLiteral("version"))) p.showVersion();
    if (!p.positionalArguments().isEmpty()) {
        problem = QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first());
        return std::nullopt;
    }
    Options o;
    o.socket = p.isSet(socket) ? p.value(socket) : fromEnv("TAVIMOR_MILTER_SOCKET", QString());
    o.foreground = p.isSet(foreground);
    o.userNamed = p.isSet(user) || !env.value(QStringLiteral("TAVIMOR_MILTER_USER")).isEmpty();
    o.user = p.isSet(user) ? p.value(user) : fromEnv("TAVIMOR_MILTER_USER", o.user);
    const QString t = p.isSet(timeout) ? p.value(timeout) : fromEnv("TAVIMOR_MILTER_TIMEOUT", QStringLiteral("60"));
    const QString m = p.isSet(maxSize) ? p.value(maxSize) : fromEnv("TAVIMOR_MILTER_MAX_SIZE_MB", QStringLiteral("25"));
    const QString f = p.isSet(onFailure) ? p.value(onFailure) : fromEnv("TAVIMOR_MILTER_ON_FAILURE", QStringLiteral("tempfail"));
    // The MTA waits 300 seconds at most for the end of a message (Postfix's
    // milter_content_timeout): the answer has to come before.
    const auto seconds = number(t, 1, 290);
    const auto megabytes = number(m, 1, 1024);
    const QString w = p.isSet(workers) ? p.value(workers) : fromEnv("TAVIMOR_MILTER_WORKERS", QStringLiteral("1"));
    const auto workerCount = number(w, 1, 32);
    if (o.socket.isEmpty()) problem = QStringLiteral("no socket: give -p SOCKET or set TAVIMOR_MILTER_SOCKET");
    else if (!o.socket.startsWith(QLatin1String("inet:")) && !o.socket.startsWith(QLatin1String("unix:")) &&
             !o.socket.startsWith(QLatin1String("local:")) && !o.socket.startsWith(QLatin1String("inet6:")))
        problem = QStringLiteral("the socket %1 is not inet:PORT@HOST, inet6:PORT@HOST or unix:PATH").arg(o.socket);
    else if (!seconds) problem = QStringLiteral("the timeout %1 is not a number of seconds from 1 to 290").arg(t);
    else if (!megabytes) problem = QStringLiteral("the size limit %1 is not a number of megabytes from 1 to 1024").arg(m);
    else if (f != QLatin1String("tempfail") && f != QLatin1String("accept"))
        problem = QStringLiteral("--on-failure takes tempfail or accept, not %1").arg(f);
    else if (!workerCount) problem = QStringLiteral("the number of workers %1 is not from 1 to 32").arg(w);
    else if (o.user.isEmpty()) problem = QStringLiteral("the user name is empty");
    if (!problem.isEmpty()) return std::nullopt;
    o.timeoutSeconds = static_cast<int>(*seconds);
    o.maxSizeBytes = *megabytes * 1024 * 1024;
    o.acceptOnFailure = f == QLatin1String("accept");
    o.workers = static_cast<int>(*workerCount);
    return o;
}

}  // namespace milter
